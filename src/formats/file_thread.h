#pragma once

// TFileThread: runs one load or save of the file engine on a worker thread, for the load, save
// and reload commands, which show the busy window meanwhile. The engine reads and writes the
// files and the targets' swap files on the worker; every change to the project's bookkeeping is
// a step run on the main thread through the executor.

#include "formats/file_engine.h"
#include "platform/result.h"
#include "project/executor.h"

#include <QThread>

#include <cstdint>
#include <functional>

namespace zelmo::formats {

class TFileThread : public QThread {
    Q_OBJECT
public:
    enum Mode : std::uint8_t { Load = 0, Save = 1 };
    // Runs on the main thread once the engine is done, after the bookkeeping: the command's own
    // part (the recent list, the linked devices, the dialog's result flag).
    using Completion = std::function<void(const Result& outcome)>;

    // The engine, its targets and its entry belong to the command and must outlive the thread.
    TFileThread(CExecutor& executor, TFile& engine, Mode mode, Completion done = {});

    // ok, with the engine's message.
    const Result& Outcome() const { return outcome_; }

protected:
    // Load: every target's memory counts as loaded (no checksum, nothing unsaved) and its bytes
    // as changed; a failed load may have filled or partly written the memory, so it counts as
    // edited. Save: the saved memory has nothing unsaved any more.
    void run() override;

private:
    CExecutor& executor_;
    TFile& engine_;
    Mode mode_;
    Completion done_;
    Result outcome_;
};

} // namespace zelmo::formats
