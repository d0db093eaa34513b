#pragma once

// Outcome of binding one of the application's external libraries. A failed binding carries the
// exact message for the error box titled "Error" and whether the application has to terminate;
// the caller shows the box, binding code never touches widgets.

#include <QString>

namespace zelmo {

struct BindResult {
    bool ok = false;
    bool terminate = false;
    QString message; // text of the error box, empty on success
    QString detail;  // the loader's own explanation, for the log or a debug build
};

} // namespace zelmo
