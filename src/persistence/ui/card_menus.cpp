#include "persistence/ui/card_menus.h"

#include "app/command_states.h"
#include "app/ui/busy_window.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "persistence/card/card_library.h"

#include <QAction>
#include <QMessageBox>

namespace zelmo {

TCardMenus::TCardMenus(TfMain& window) : QObject(&window), window_(window) {
    TMainCommands& c = window.Commands();
    connect(c.miIdentifyCard, &QAction::triggered, this, &TCardMenus::miIdentifyCFClick);
    connect(c.miSaveToCard, &QAction::triggered, this, &TCardMenus::miSaveToCardClick);
    connect(c.miReadFromCard, &QAction::triggered, this, &TCardMenus::miReadFromCardClick);
    window.RefreshPlan().Add(RefreshStep::CommandStates, [this] { Refresh(); });
}

void TCardMenus::Refresh() {
    const TProject& project = window_.Project();
    const card::CardMenuStates menus =
        card::CardMenus(window_.Programmers(), project.GangMode != 0);
    // The window's rules: nothing while the project is busy (no device: not busy).
    const std::optional<CommandStates> states = ComputeCommandStates(project);
    const bool started = window_.StartupMilliseconds() >= 0;
    TMainCommands& c = window_.Commands();
    const struct {
        QAction* action;
        const card::CardMenuEntry& entry;
        bool allowed;
    } entries[] = {
        {c.miIdentifyCard, menus.IdentifyCF, states ? states->NewProject : true},
        {c.miEraseCard, menus.EraseCF, false},
        {c.miReadFromCard, menus.ReadFromCard, states ? states->OpenProject : true},
        {c.miSaveToCard, menus.SaveToCard, states ? states->SaveProject : true},
    };
    for (const auto& e : entries) {
        e.action->setText(e.entry.Caption);
        e.action->setToolTip(e.entry.Caption);
        e.action->setEnabled(started && e.allowed && e.entry.Enabled);
    }
}

card::CardCommandHost TCardMenus::Host() {
    TfMain* window = &window_;
    return {.Log = [window](LogKind kind, const QString& text) { window->AddLog(kind, text); },
            .SetStatusMessage = [window](const QString& text) { window->SetStatusMessage(text); },
            .ShowError =
                [window](const QString& text) {
                    QMessageBox::critical(window, QStringLiteral("Error"), text);
                },
            .RunBusy =
                [window](QThread& worker, const QString& text, Progress& first, Progress& second) {
                    window->Busy().SetInfo(text);
                    window->Busy().Execute(worker, &first, &second);
                },
            .SetBusyText = [window](const QString& text) { window->Busy().SetInfo(text); },
            .ProjectRead = [window] { window->RefreshAll(); }};
}

// The commands work on what start-up found: the library's entry points and the programmers.
template <typename Command> void TCardMenus::RunCommand(Command command) {
    card::CardLibraryCalls library(card::CardEntryPointsOf(window_.Session().Api()));
    card::CCardCommands commands(window_.Project(), library, executor_, window_.AppDir(), Host());
    commands.SetProgrammers(window_.Programmers());
    (commands.*command)();
}

void TCardMenus::miIdentifyCFClick() {
    RunCommand(&card::CCardCommands::IdentifyCards);
}

void TCardMenus::miSaveToCardClick() {
    RunCommand(&card::CCardCommands::SaveToCard);
}

void TCardMenus::miReadFromCardClick() {
    RunCommand(&card::CCardCommands::ReadFromCard);
}

} // namespace zelmo
