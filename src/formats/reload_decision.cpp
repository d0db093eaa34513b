#include "formats/reload_decision.h"

#include "formats/file_time.h"

#include <QFile>

namespace zelmo::formats {

ReloadDecision DecideReload(std::uint8_t reloadFile, const MemoryState& state) {
    ReloadDecision d;
    if (!state.Current) {
        d.action = ReloadAction::Failed;
        d.message = QStringLiteral("Unknown file name. Reloading failed.");
        return d;
    }
    if (state.Modified != 0 || reloadFile != 2) {
        return d; // a modified buffer is always reloaded
    }
    const platform::File file = platform::File::open(
        QFile::encodeName(state.Current->FileName).toStdString(), platform::OpenMode::Read);
    if (!file.isOpen()) {
        d.action = ReloadAction::Failed;
        d.message = QStringLiteral("Couldn't open file. Reloading failed.");
        d.warning = true;
        return d;
    }
    if (LastWriteTime(file) == FileTime{state.Current->TimeLow, state.Current->TimeHigh}) {
        d.action = ReloadAction::Skip;
        d.message = QStringLiteral("File date/time not changed. Reloading skipped.");
    }
    return d;
}

} // namespace zelmo::formats
