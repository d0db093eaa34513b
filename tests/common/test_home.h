#pragma once

// The body shared by the test mains: gives the run a private home so that no test touches the
// user's files, makes the Qt application the suite needs and runs the GoogleTest cases.

#include <QCoreApplication>

#include <functional>
#include <memory>

namespace zelmo::test {

using ApplicationMaker = std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)>;

int RunIsolatedTests(int argc, char** argv, const ApplicationMaker& makeApplication);

} // namespace zelmo::test
