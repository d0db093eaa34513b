// The library steps of start-up: which failures terminate, when remote control is available,
// and that the hardware library is started with the debug flag and the application directory.

#include "common/temp_dir.h"
#include "operations/library_file.h"
#include "operations/library_startup.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>

namespace zelmo {
namespace {

namespace fs = std::filesystem;

// An application directory holding copies of the named fake libraries.
struct AppDir {
    test::TempDir dir;
    QString path() const { return QString::fromStdString(dir.path().string()) + "/"; }
    void add(const char* variant, const char* file) {
        fs::copy_file(fs::path(ZELMO_FAKE_LIB_DIR) / variant / file, dir / file);
    }
};

QStringList log(const LibraryStartup& s) {
    return QStringList(s.Log.begin(), s.Log.end());
}

TEST(LibraryStartup, FailuresAndRemoteControlAvailability) {
    struct Case {
        const char* name;
        const char* hardware; // fake variant or null
        const char* remote;   // "incomplete", "sample" or null
        bool failed;
        const char* errorBox;
        bool remoteLoaded;
        QStringList log;
    };
    const Case cases[] = {
        {"no hardware library",
         nullptr,
         nullptr,
         true,
         "Missing 'libhardware.so'",
         false,
         {"Initializing libraries."}},
        {"incomplete hardware library",
         "no_ZmCardInserted",
         "sample",
         true,
         "Incorrect 'libhardware.so'",
         false,
         {"Initializing libraries."}},
        {"no remote control", "complete", nullptr, false, "", false, {"Initializing libraries."}},
        {"incomplete remote control",
         "complete",
         "incomplete",
         true,
         "Incorrect 'libRemoteCtrl.so'",
         false,
         {"Initializing libraries."}},
        {"remote control",
         "complete",
         "sample",
         false,
         "",
         true,
         {"Initializing libraries.", "Remote control library loaded."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppDir app;
        if (c.hardware != nullptr) {
            app.add(c.hardware, "libhardware.so");
        }
        if (c.remote != nullptr && std::string(c.remote) == "incomplete") {
            app.add("remote_incomplete", "libRemoteCtrl.so");
        } else if (c.remote != nullptr) {
            fs::copy_file(fs::path(ZELMO_SAMPLE_DIR) / "libRemoteCtrl.so",
                          app.dir / "libRemoteCtrl.so");
        }
        HardwareBinding hardware;
        RemoteControlBinding remote;
        const LibraryStartup s = StartLibraries(app.path(), 0, hardware, remote);
        EXPECT_EQ(s.Failed, c.failed);
        EXPECT_EQ(s.ErrorBoxText, QString::fromLatin1(c.errorBox));
        EXPECT_EQ(s.RemoteLoaded, c.remoteLoaded);
        EXPECT_EQ(remote.isLoaded(), c.remoteLoaded);
        EXPECT_EQ(log(s), c.log);
    }
}

TEST(LibraryStartup, StartsTheLibraryWithDebugFlagAndDirectory) {
    AppDir app;
    app.add("complete", "libhardware.so");
    HardwareBinding hardware;
    RemoteControlBinding remote;
    const QString withoutSlash = app.path().chopped(1);
    ASSERT_FALSE(StartLibraries(withoutSlash, 1, hardware, remote).Failed);

    // Read back what the fake saw, through its own test exports.
    LibraryFile probe;
    ASSERT_EQ(probe.load(app.path(), "libhardware.so"), LibraryFile::Outcome::Loaded);
    using Count = std::int32_t (*)();
    using Debug = std::uint8_t (*)();
    using Path = const char16_t* (*)();
    const auto calls = reinterpret_cast<Count>(probe.resolve("fake_init_calls"));
    const auto debug = reinterpret_cast<Debug>(probe.resolve("fake_last_debug"));
    const auto path = reinterpret_cast<Path>(probe.resolve("fake_last_path"));
    ASSERT_TRUE(calls && debug && path);
    EXPECT_EQ(calls(), 1);
    EXPECT_EQ(debug(), 1);
    EXPECT_EQ(QString::fromUtf16(path()), app.path()) << "with its trailing separator";
}

} // namespace
} // namespace zelmo
