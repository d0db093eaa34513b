#include "common/test_home.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
// Qt is not built with ThreadSanitizer: the end of a QThread is ordered by Qt's own futex-based
// mutex, which the sanitizer cannot see, so destroying a finished thread's wait condition
// looks like a race with the thread's last wake-up. Only that teardown is excused.
// Likewise a queued call (the main-thread executor's steps): Qt allocates its event on the
// calling thread and deletes it on the receiving one after its own queue lock, which the
// sanitizer cannot see either. Only races with that allocation are excused.
extern "C" const char* __tsan_default_suppressions() {
    return "race:QWaitCondition::~QWaitCondition\n"
           "race:QMetaMethod::invoke\n";
}
#endif
#endif

namespace zelmo::test {

namespace {
std::filesystem::path home;

void setEnv(const char* name, const std::filesystem::path& value) {
    std::filesystem::create_directories(value);
    ::setenv(name, value.c_str(), 1);
}
} // namespace

const std::filesystem::path& testHome() {
    return home;
}

int RunIsolatedTests(int argc, char** argv, const ApplicationMaker& makeApplication) {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/zelmo-test-XXXXXX";
    const char* base = ::mkdtemp(pattern);
    if (base == nullptr) {
        return 2;
    }
    home = fs::path(base);
    setEnv("XDG_DATA_HOME", home / "data");
    setEnv("XDG_CONFIG_HOME", home / "config");
    setEnv("XDG_RUNTIME_DIR", home / "runtime");
    fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    setEnv("TMPDIR", home / "tmp");
    // The simulator reads its configuration from here unless a test names its own.
    ::setenv("ZELMO_SIM_CONFIG", (home / "simulator.ini").c_str(), 1);
    ::setenv("ZELMO_SIM_STATE", (home / "simstate").c_str(), 1);

    // Widget code under test never needs a display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    int rc = 0;
    {
        const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    std::error_code ec;
    if (std::getenv("ZELMO_KEEP_TEST_HOME") == nullptr) {
        fs::remove_all(home, ec);
    }
    return rc;
}

} // namespace zelmo::test
