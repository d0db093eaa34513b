#include "app/message_log.h"

#include <algorithm>

namespace zelmo {

void CMessageLog::Emit(std::vector<LogRun>& runs, QString text, LogColour colour) {
    inForce_ = colour;
    if (text.isEmpty()) {
        return;
    }
    if (!runs.empty() && runs.back().colour == colour) {
        runs.back().text += text;
    } else {
        runs.push_back(LogRun{std::move(text), colour});
    }
}

std::vector<LogRun> CMessageLog::AddLog(LogKind kind, const QString& text,
                                        const LogHeaderNames& names) {
    std::vector<LogRun> runs;
    if (kind & lfBlankLine) {
        Emit(runs, QStringLiteral("\n"), inForce_);
    }
    QString entry;
    LogColour colour = LogColour::WindowText;
    if (kind & (lfDataSetHeader | lfDeviceHeader)) {
        const int slot = static_cast<int>(kind & lfSlotMask);
        Emit(runs, QString::asprintf("%02d: ", slot + 1), inForce_);
        colour = LogColour::Blue;
        if (kind & lfDataSetHeader) {
            entry = names.deviceName + QStringLiteral(" / ") + names.package +
                    QStringLiteral(", ") + names.dataSetName;
        } else {
            entry = names.deviceName + QStringLiteral(" / ") + names.package;
        }
        if (names.linkDevices) {
            const qsizetype cr = entry.indexOf(u'\r');
            const qsizetype lf = entry.indexOf(u'\n');
            const qsizetype cut = cr < 0 ? lf : (lf < 0 ? cr : std::min(cr, lf));
            if (cut >= 0) {
                entry.truncate(cut);
                entry += QStringLiteral(" (and other linked)");
            }
        }
    } else {
        QString indent;
        if (kind & lfIndent2) {
            indent += QStringLiteral("  ");
        }
        if (kind & lfIndent4) {
            indent += QStringLiteral("    ");
        }
        Emit(runs, indent, inForce_);
        if (kind & lfWarning) {
            Emit(runs, QStringLiteral("Warning! "), LogColour::Red);
        }
        if (kind & lfGreen) {
            colour = LogColour::Green;
        } else if (kind & lfRed) {
            colour = LogColour::Red;
        } else if (kind & lfPurple) {
            colour = LogColour::Purple;
        }
        entry = text;
    }
    if (!(kind & lfNoLineEnd)) {
        entry += u'\n';
    }
    file_.Append(entry);
    Emit(runs, std::move(entry), colour);
    return runs;
}

} // namespace zelmo
