#pragma once

// The message log model: turns an entry (log kind plus text, or a device header) into the
// coloured runs that the log view appends, and hands the entry's text to the log file. The view
// renders the runs; this class knows nothing of widgets or of the project.

#include "app/log_file.h"
#include "app/log_kind.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace zelmo {

enum class LogColour { WindowText, Green, Red, Purple, Blue };

// 0xRRGGBB of a colour; WindowText has none (the view takes the platform's window-text colour).
constexpr std::uint32_t LogColourRgb(LogColour colour) {
    switch (colour) {
    case LogColour::Green:
        return 0x008000;
    case LogColour::Red:
        return 0xFF0000;
    case LogColour::Purple:
        return 0x800080;
    case LogColour::Blue:
        return 0x0000FF;
    case LogColour::WindowText:
        break;
    }
    return 0;
}

// A piece of text in one colour; "\n" inside it is a line break.
struct LogRun {
    QString text;
    LogColour colour = LogColour::WindowText;
    bool operator==(const LogRun&) const = default;
};

// What a header names: device N's name and package and, for a data-set header, the data set;
// linkDevices is the project's "Link devices" mode.
struct LogHeaderNames {
    QString deviceName;
    QString package;
    QString dataSetName;
    bool linkDevices = false;
};

class CMessageLog {
public:
    explicit CMessageLog(LogFile::Clock now = &QDateTime::currentDateTimeUtc) : file_(now) {}

    // Composes one entry and, when the log file is on, appends its text there. `text` is used
    // by text entries, `names` by header entries. Entries are kept whole whatever their length.
    std::vector<LogRun> AddLog(LogKind kind, const QString& text, const LogHeaderNames& names = {});

    LogFile& File() { return file_; }
    const LogFile& File() const { return file_; }

private:
    void Emit(std::vector<LogRun>& runs, QString text, LogColour colour);

    LogColour inForce_ = LogColour::WindowText; // the colour the view continues with
    LogFile file_;
};

} // namespace zelmo
