#pragma once

// The per-run log file: entries appended as 8-bit text with CR LF line ends to
// "Log_YYYY_MM_DD_hh_mm_ss.log" in the user's TERVANIK/Zelmo2 data folder. The name is fixed by
// the first entry written while the file is enabled and kept for the rest of the run.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace zelmo {

class LogFile {
public:
    // `now` gives the current time; a test passes a fixed clock.
    using Clock = QDateTime (*)();
    explicit LogFile(Clock now = &QDateTime::currentDateTimeUtc) : now_(now) {}

    void SetEnabled(bool on) { enabled_ = on; }
    // Makes the file follow a switch kept elsewhere (the configuration's "ReportFile" in the
    // project), so that the option and the file cannot disagree; null goes back to SetEnabled.
    void FollowSwitch(const std::uint8_t* reportFile) { switch_ = reportFile; }
    bool Enabled() const { return switch_ != nullptr ? *switch_ != 0 : enabled_; }

    // Appends an entry's text when enabled: open, write, flush, close. Failures are silent;
    // the next entry tries again with the same name. Returns whether every byte was written.
    bool Append(const QString& entryText);

    // Until Release(), entries are kept instead of written. At start-up the switch is known only
    // once the configuration has been read, and the report of the steps before belongs in the
    // file as well; Release() writes the kept entries when the switch is on by then, and drops
    // them otherwise.
    void Hold() { holding_ = true; }
    void Release();

    // Full path of the file, empty before the name is fixed (or when no folder was found).
    const QString& FilePath() const { return path_; }

    // "Log_%04d_%02d_%02d_%02d_%02d_%02d.log" of a UTC time.
    static QString NameFor(const QDateTime& utc);
    // The entry as written: one byte per character (ISO 8859-1), every line break as CR LF, cut
    // before the first character that has no 8-bit form.
    static QByteArray Narrow(const QString& entryText);

private:
    Clock now_;
    bool enabled_ = false;
    const std::uint8_t* switch_ = nullptr;
    bool nameFixed_ = false;
    QString path_;
    bool holding_ = false;
    QStringList held_;
};

} // namespace zelmo
