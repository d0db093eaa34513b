#include "app/command_line.h"

namespace zelmo {

namespace {

// The decimal digits at the start of `text`, as the port; 0 when there are none, so that "-u"
// alone asks for port 0 and the library's refusal to open it is what the user sees.
int LeadingNumber(QStringView text) {
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9' || value > 100000000) {
            break;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == u"-d") {
            line.DebugMode = true;
        } else if (arg == u"-c") {
            line.ClearConfiguration = true;
        } else if (arg.startsWith(u"-u") && !line.ForcedPort) {
            line.ForcedPort = LeadingNumber(QStringView(arg).mid(2));
        } else if (arg == u"-p" && !line.ProjectPath && !line.ProjectMissing) {
            if (i + 1 < arguments.size()) {
                line.ProjectPath = arguments[++i];
            } else {
                line.ProjectMissing = true;
            }
        }
    }
    return line;
}

} // namespace zelmo
