// Binding of libhardware.so: the start-up binding and the per-thread operation binding against
// fake libraries that each lack one entry point.

#include "common/temp_dir.h"
#include "operations/hardware_binding.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <future>
#include <string>
#include <thread>

namespace zelmo {
namespace {

QString fakeDir(const char* variant) {
    return QStringLiteral(ZELMO_FAKE_LIB_DIR "/") + QLatin1String(variant);
}

// Whether the fake library of `variant` is mapped into the process right now.
bool fakeMapped(const char* variant) {
    const std::string path = std::string(ZELMO_FAKE_LIB_DIR "/") + variant + "/libhardware.so";
    void* handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) {
        return false;
    }
    ::dlclose(handle);
    return true;
}

TEST(HardwareBinding, LibraryThatCannotBeLoadedIsMissing) {
    test::TempDir empty;
    test::TempDir garbage;
    ASSERT_TRUE(test::writeFile(garbage / "libhardware.so", "not a shared library"));
    for (const auto& dir : {empty.path(), garbage.path()}) {
        SCOPED_TRACE(dir.string());
        const QString appDir = QString::fromStdString(dir.string()) + "/";

        HardwareBinding startup;
        const BindResult s = startup.bind(appDir);
        EXPECT_FALSE(s.ok);
        EXPECT_TRUE(s.terminate);
        EXPECT_EQ(s.message, "Missing 'libhardware.so'");
        EXPECT_FALSE(startup.isBound());
        EXPECT_EQ(startup.api().ZmInit, nullptr);

        OperationBinding operation;
        const BindResult o = operation.bind(appDir);
        EXPECT_FALSE(o.ok);
        EXPECT_FALSE(o.terminate) << "only the operation fails";
        EXPECT_EQ(o.message, "Missing 'libhardware.so'");
    }
}

TEST(HardwareBinding, EachEntryPointSetIsCheckedOnItsOwn) {
    struct Case {
        const char* variant;
        bool startupOk;
        bool operationOk;
    };
    const Case cases[] = {
        {"complete", true, true},
        {"no_ZmInit", false, true},            // start-up only
        {"no_ZmGetStatus", false, false},      // needed by both
        {"no_ZmCardInserted", false, true},    // start-up only
        {"no_ZmAdapterGetSocket", true, true}, // optional everywhere
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant);
        HardwareBinding startup;
        const BindResult s = startup.bind(fakeDir(c.variant));
        EXPECT_EQ(s.ok, c.startupOk);
        EXPECT_EQ(startup.isBound(), c.startupOk);
        if (!c.startupOk) {
            EXPECT_EQ(s.message, "Incorrect 'libhardware.so'");
            EXPECT_TRUE(s.terminate);
            EXPECT_TRUE(s.detail.contains("_Zm")) << s.detail.toStdString();
            EXPECT_EQ(startup.api().ZmGetNoOfDevices, nullptr) << "nothing half bound";
        } else {
            EXPECT_TRUE(s.message.isEmpty());
        }

        OperationBinding operation;
        const BindResult o = operation.bind(fakeDir(c.variant));
        EXPECT_EQ(o.ok, c.operationOk);
        EXPECT_FALSE(o.terminate);
        if (!c.operationOk) {
            EXPECT_EQ(o.message, "Incorrect 'libhardware.so'");
        }
    }
}

TEST(HardwareBinding, CompleteLibraryResolvesEveryRequiredEntryPoint) {
    HardwareBinding startup;
    ASSERT_TRUE(startup.bind(fakeDir("complete")).ok);
    const HardwareEntryPoints& api = startup.api();
#define EXPECT_BOUND(base) EXPECT_NE(api.base, nullptr) << #base;
    ZM_STARTUP_ENTRY_POINTS(EXPECT_BOUND)
    ZM_SCAN_ENTRY_POINTS(EXPECT_BOUND)
#undef EXPECT_BOUND
    EXPECT_EQ(api.ProjectReference, nullptr) << "optional and not exported by the fake";
    EXPECT_EQ(api.ZmGetStatus(3), 0x5A3) << "the call reaches the library";

    HardwareBinding withoutSocket;
    ASSERT_TRUE(withoutSocket.bind(fakeDir("no_ZmAdapterGetSocket")).ok);
    EXPECT_EQ(withoutSocket.api().ZmAdapterGetSocket, nullptr);

    startup.release();
    EXPECT_FALSE(startup.isBound());
    EXPECT_EQ(startup.api().ZmGetStatus, nullptr);
}

TEST(HardwareBinding, OperationBindingOfAWorkerOutlivesTheStartupBinding) {
    auto startup = std::make_unique<HardwareBinding>();
    ASSERT_TRUE(startup->bind(fakeDir("complete")).ok);

    std::promise<void> bound;
    std::promise<void> startupReleased;
    std::promise<int> statusAfterRelease;
    std::thread worker([&] {
        OperationBinding own;
        const bool ok = own.bind(fakeDir("complete")).ok;
        bound.set_value();
        startupReleased.get_future().wait();
        statusAfterRelease.set_value(ok ? own.api().ZmGetStatus(7) : -1);
    });
    bound.get_future().wait();
    startup.reset(); // unbinds on destruction
    startupReleased.set_value();
    EXPECT_EQ(statusAfterRelease.get_future().get(), 0x5A7);
    worker.join();
    EXPECT_FALSE(fakeMapped("complete")) << "the last binding took the library with it";
}

TEST(HardwareBinding, ReleasingOneWorkerBindingLeavesTheOthersWorking) {
    HardwareBinding startup;
    ASSERT_TRUE(startup.bind(fakeDir("complete")).ok);
    OperationBinding first;
    OperationBinding second;
    std::thread([&] { ASSERT_TRUE(first.bind(fakeDir("complete")).ok); }).join();
    std::thread([&] { ASSERT_TRUE(second.bind(fakeDir("complete")).ok); }).join();

    first.release();
    EXPECT_FALSE(first.isBound());
    EXPECT_EQ(first.api().ZmGetStatus, nullptr);
    EXPECT_TRUE(second.isBound());
    EXPECT_EQ(second.api().ZmGetStatus(1), 0x5A1);
    EXPECT_EQ(startup.api().ZmGetStatus(2), 0x5A2);

    startup.release();
    EXPECT_TRUE(fakeMapped("complete")) << "the remaining worker still holds the library";
    EXPECT_EQ(second.api().ZmGetStatus(4), 0x5A4);
    second.release();
    EXPECT_FALSE(fakeMapped("complete"));
}

} // namespace
} // namespace zelmo
