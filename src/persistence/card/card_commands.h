#pragma once

// The card commands of the project bar's menus: "Identify CompactFlash card(s)", "Save to
// card(s)" and "Read from card", with the captions and enable rules of their menu entries. They
// check the programmers and cards on the main thread, hand the transfer to a TCardThread under
// the busy window and report in the message log; the window supplies the log, the status
// message, the error box and the busy window through CardCommandHost.

#include "abi/hardware_api.h"
#include "app/log_kind.h"
#include "persistence/card/card_thread.h"
#include "platform/progress.h"

#include <QString>

#include <functional>
#include <span>
#include <vector>

class QThread;

namespace zelmo::card {

inline constexpr char kDemoModeRefusal[] = "Operation not available in demo mode.";
inline constexpr char kOperationCancelled[] = "Operation cancelled.";
inline constexpr char kProjectSaved[] = "Project saved.";
inline constexpr char kProjectSavingError[] = "Project saving error.";

// Gang writing: two or more programmers with GangMode on.
bool GangWriting(int programmerCount, bool gangMode);

struct CardMenuEntry {
    QString Caption;
    bool Enabled = false;
};

// miIdentifyCF and miEraseCF of "New", miReadFromCard of "Open", miSaveToCard of "Save".
struct CardMenuStates {
    CardMenuEntry IdentifyCF, EraseCF, ReadFromCard, SaveToCard;
};

CardMenuStates CardMenus(std::span<const ProgrammerInfo> programmers, bool gangMode);

struct CardCommandHost {
    std::function<void(LogKind kind, const QString& text)> Log;
    std::function<void(const QString& text)> SetStatusMessage;
    // The error box titled "Error".
    std::function<void(const QString& text)> ShowError;
    // Shows the busy window with `text` for `worker`, starts it and returns once it has ended;
    // `first` and `second` are the two progress values it writes. Empty: the worker runs under
    // RunWorker (the widget-free form).
    std::function<void(QThread& worker, const QString& text, Progress& first, Progress& second)>
        RunBusy;
    // Changes the busy window's text (called on the main thread).
    std::function<void(const QString& text)> SetBusyText;
    // After a read that left devices in the project: select the active device's node and
    // refresh every view.
    std::function<void()> ProjectRead;
};

class CCardCommands {
public:
    // `executor` runs the worker's steps on the main thread; `appDir` ends with "/".
    CCardCommands(TProject& project, CardLibrary& library, CExecutor& executor, QString appDir,
                  CardCommandHost host);

    // The attached programmers, in list order (empty: demo mode).
    void SetProgrammers(std::vector<ProgrammerInfo> programmers);
    CardMenuStates Menus() const;

    void IdentifyCards(); // miIdentifyCFClick
    void SaveToCard();    // miSaveToCardClick
    void ReadFromCard();  // miReadFromCardClick

private:
    void Log(LogKind kind, const QString& text) const;
    // The short outcome: the status message and the active device's status text.
    void SetStatus(const QString& text) const;
    bool StandAloneCheck() const;
    bool ProgrammerReady(int index) const;
    TCardThread::Job TransferJob(TCardThread::Direction direction, int programmer, bool gang) const;
    // The worker under the busy window, until it has ended.
    void RunTransfer(TCardThread& worker, const QString& text) const;
    std::vector<std::int32_t> Ports() const;
    int ProgrammerCount() const { return static_cast<int>(programmers_.size()); }

    TProject& project_;
    CardLibrary& library_;
    CExecutor& executor_;
    QString appDir_;
    CardCommandHost host_;
    std::vector<ProgrammerInfo> programmers_;
};

} // namespace zelmo::card
