#pragma once

// The card entries of the main window's "New", "Open" and "Save" menus: their captions and
// enabled states follow the card rules (the programmers attached and gang mode) on top of the
// window's command states, and their clicks run the card commands with the window's log,
// status message, error box and busy window.

#include "persistence/card/card_commands.h"
#include "project/executor.h"

#include <QObject>

namespace zelmo {

class TfMain;

class TCardMenus : public QObject {
    Q_OBJECT
public:
    // Registers itself after the window's command states in the window's refresh plan.
    explicit TCardMenus(TfMain& window);

    void miIdentifyCFClick();
    void miSaveToCardClick();
    void miReadFromCardClick();
    // Captions and enabled states of the four entries.
    void Refresh();

private:
    card::CardCommandHost Host();
    template <typename Command> void RunCommand(Command command);

    TfMain& window_;
    CMainThreadExecutor executor_;
};

} // namespace zelmo
