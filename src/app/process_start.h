#pragma once

// The checks of the process start, before any window exists: one instance per user session
// (a refused start hands its "-p" project to the running one) and a release number derived from
// the build date. A refusal carries the text of the error box that ends the process.

#include "app/command_line.h"
#include "app/single_instance.h"
#include "project/build_day.h"

#include <QString>

namespace zelmo {

inline constexpr char kAlreadyOpen[] = "Application already open.";

struct ProcessStart {
    bool ok = false;
    QString message;         // the error box text when refused; empty when nothing is shown
    bool handedOver = false; // a refused start gave its project to the running instance
    BuildDayBytes buildDay{};
};

// `date` and `time` are the build's texts ("Feb 16 2018", "13:33:27").
ProcessStart StartProcess(CSingleInstance& instance, const CommandLine& line, const char* date,
                          const char* time);

} // namespace zelmo
