#pragma once

// The main window frame: caption and status message with the release number, the menu bar and
// the tab holding the message log view.

#include "app/message_log.h"
#include "app/release.h"
#include "app/startup_session.h"

#include <QMainWindow>

class QLabel;
class QTabWidget;
class QTextEdit;

namespace zelmo {

class TfMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMain(const BuildDayBytes& buildDay, QWidget* parent = nullptr);
    ~TfMain() override;

    // Appends one entry to the log view (and the log file when it is on), then lets pending
    // events run so the view repaints during long work on the main thread.
    void AddLog(LogKind kind, const QString& text, const LogHeaderNames& names = {});
    void SetStatusMessage(const QString& text);

    CMessageLog& Log() { return log_; }
    QTextEdit* LogView() const { return reLog; }

public slots:
    // Runs once, at the first idle moment after the window is shown: reports the release, binds
    // the hardware library (and the remote-control library when present), opens the programmers
    // and has the hardware library read the device catalogue, all on the start-up session. A
    // missing or incomplete library, or a programmer that cannot be started, ends the
    // application.
    void Initialize();

private:
    void CreateMenus();
    void miAboutClick();

    BuildDayBytes buildDay_;
    CMessageLog log_;
    QTabWidget* pcMain = nullptr;
    QTextEdit* reLog = nullptr;
    QLabel* lStatus = nullptr;
    bool initialized_ = false;
    CStartupSession session_;
};

} // namespace zelmo
