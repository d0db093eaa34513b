// Main of the widget test binaries: a private home and a QApplication on the offscreen platform.
#include "common/test_home.h"

#include <QApplication>

int main(int argc, char** argv) {
    return zelmo::test::RunIsolatedTests(
        argc, argv, [](int& c, char** v) { return std::make_unique<QApplication>(c, v); });
}
