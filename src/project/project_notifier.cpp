#include "project/project_notifier.h"

// The signals are generated; this file gives the class its one home for the generated code.
