#pragma once

// The reload step of an operation: before a device is programmed, the files assigned to the
// memories enabled for it are loaded again ("ReloadFile" 1), or only those whose file changed
// since it was loaded or whose buffer was edited ("ReloadFile" 2). Runs on the main thread; each
// load runs on a file worker that the caller shows under the busy window.

#include "formats/file_thread.h"
#include "project/project.h"

#include <QString>

#include <functional>

namespace zelmo::formats {

// How a reload line goes to the log.
enum class ReloadLine {
    Header,           // the data-set header of the device (no text)
    Detail,           // "Reloading file. Target buffer: %S...", "Reassigning file..."
    SubDetail,        // skipped, the path and the engine's message
    FailureSubDetail, // "Unknown file name. Reloading failed.", a failed load
    WarningSubDetail, // "Couldn't open file. Reloading failed."
};

struct ReloadHost {
    std::function<void(ReloadLine line, const QString& text)> Log;
    // Runs the file worker to its end (under the busy window in the application); empty: the
    // worker runs with the calling thread's event loop kept going.
    std::function<void(TFileThread& worker, Progress& progress)> RunWorker;
};

// Reloads the files of data set `dataSet` of device `device` for every memory enabled in its
// MemSelect, until one fails. Only that data set is written: every device's own operation
// reloads its own files. False when a reload failed (the caller cancels the operation).
bool ReloadFiles(TProject& project, CExecutor& executor, int device, int dataSet,
                 const ReloadHost& host);

} // namespace zelmo::formats
