#include "app/process_start.h"

#include "app/release.h"

namespace zelmo {

ProcessStart StartProcess(CSingleInstance& instance, const CommandLine& line, const char* date,
                          const char* time) {
    ProcessStart start;
    if (!instance.Acquire()) {
        // A start that names a project hands it over and the running instance opens it; that
        // start has done what the user asked and ends without an error box.
        if (line.ProjectPath && instance.HandOver(*line.ProjectPath)) {
            start.handedOver = true;
        } else {
            start.message = QString::fromLatin1(kAlreadyOpen);
        }
        return start;
    }
    if (!ParseBuildDay(date, time, start.buildDay)) {
        start.message = QString::fromLatin1(kVersionUnknownMessage);
        return start;
    }
    start.ok = true;
    return start;
}

} // namespace zelmo
