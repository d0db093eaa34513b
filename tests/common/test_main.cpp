// Shared main of every model test binary: a private home and a QCoreApplication.
#include "common/test_home.h"

int main(int argc, char** argv) {
    return zelmo::test::RunIsolatedTests(
        argc, argv, [](int& c, char** v) { return std::make_unique<QCoreApplication>(c, v); });
}
