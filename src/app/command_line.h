#pragma once

// The application's command line: "-d" (debug mode), "-c" (start with default settings),
// "-uN" (open only the programmer at port N) and "-p PATH" (open that project).
//
// The switches follow their own rules rather than a general option parser's: "-d" and "-c"
// count only as whole arguments, anywhere on the line; the first argument beginning with "-u"
// names the port in its own remaining characters; "-p" takes the next argument.

#include <QString>
#include <QStringList>

#include <optional>

namespace zelmo {

struct CommandLine {
    bool DebugMode = false;          // "-d"
    bool ClearConfiguration = false; // "-c"
    std::optional<int> ForcedPort;   // "-uN": search skipped, exactly port N opened
    // "-p": the project to restore at start-up instead of the last one. ProjectMissing is set
    // when "-p" is the last argument, which the restore reports as incorrect parameters.
    std::optional<QString> ProjectPath;
    bool ProjectMissing = false;
};

// `arguments` as QCoreApplication::arguments() gives them: argument 0 is the executable.
CommandLine ParseCommandLine(const QStringList& arguments);

} // namespace zelmo
