#pragma once

// TCardThread: the worker that moves a project to or from the cards while the busy window is
// shown. It writes the whole project to one programmer's card, or in gang mode one device to
// the card of each programmer, or reads a card into the project. Its log lines, busy texts and
// every change of the project run on the main thread through the executor; the two progress
// values (device, memory) it writes directly.

#include "app/log_kind.h"
#include "persistence/card/portable.h"
#include "platform/progress.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace zelmo {
class CExecutor;
class TProject;
} // namespace zelmo

namespace zelmo::card {

class CardLibrary;

inline constexpr char kBusyWritingCard[] = "Writing CF card.";
inline constexpr char kBusyReadingCard[] = "Reading project from card...";
// "Writing CF card - socket #n." for the card of programmer n - 1 in gang mode.
QString GangCardBusyText(int programmer);

class TCardThread : public QThread {
public:
    enum Direction { Write = 0, Read = 1 };

    struct Job {
        Direction Transfer = Write;
        bool Gang = false;               // gang writing: device i to the card of programmer i
        int ProgrammerIndex = 0;         // position in Ports for a single-card transfer
        std::vector<std::int32_t> Ports; // the attached programmers, in list order
        TProject* Project = nullptr;
        CardLibrary* Library = nullptr;
        CExecutor* Executor = nullptr;
        QString AppDir; // ends with "/"
        // Run on the main thread: a log entry, and the busy window's text.
        std::function<void(LogKind kind, const QString& text)> Log;
        std::function<void(const QString& text)> SetBusyText;
    };

    explicit TCardThread(Job job);

    // Set when the thread is made; cleared when a write fails.
    bool Success() const { return success_.load(); }
    // After a failed read: "Could not read project." for the error box, or empty when the
    // library's messages are in the log instead.
    QString ReadMessage() const {
        const std::lock_guard lock(mutex_);
        return readMessage_;
    }

    Progress DeviceProgress; // first bar: the device (gang: the card) being transferred
    Progress PieceProgress;  // second bar: the memory being transferred

protected:
    void run() override;

private:
    void Step(const std::function<void()>& step);
    void ShowBusyText(const QString& text);
    Result WriteGang(CPortable& portable);

    Job job_;
    // Written by the worker, read by the command after the wait; guarded so that the order is
    // plain to ThreadSanitizer too, which does not see Qt's own wait.
    std::atomic<bool> success_{true};
    mutable std::mutex mutex_;
    QString readMessage_;
};

} // namespace zelmo::card
