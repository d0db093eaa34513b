#pragma once

// Binding of the hardware library libhardware.so from the application directory.
//
// HardwareBinding is the start-up binding: every entry point but _ZmAdapterGetSocket (and the
// optional _ProjectReference) must be exported, else the application terminates with
// "Incorrect 'libhardware.so'"; a library that cannot be loaded gives "Missing 'libhardware.so'".
//
// OperationBinding is the copy each operation thread makes for itself: its own library
// reference and its own table of the operation entry points, so it can be made, used and
// released on a worker thread whatever happens to the start-up binding meanwhile. Its failures
// carry the same messages but no terminate request: only that operation fails.

#include "abi/hardware_api.h"
#include "operations/bind_result.h"
#include "operations/library_file.h"

#include <QString>

namespace zelmo {

inline constexpr char kHardwareLibraryFile[] = "libhardware.so";

struct HardwareEntryPoints {
#define ZELMO_HW_MEMBER(base) base##_fn base = nullptr;
    ZM_STARTUP_ENTRY_POINTS(ZELMO_HW_MEMBER)
    // Optional: null when the library does not export them.
    ZM_SCAN_ENTRY_POINTS(ZELMO_HW_MEMBER)
    ZM_OPTIONAL_ENTRY_POINTS(ZELMO_HW_MEMBER)
#undef ZELMO_HW_MEMBER
};

struct OperationEntryPoints {
#define ZELMO_HW_MEMBER(base) base##_fn base = nullptr;
    ZM_OPERATION_ENTRY_POINTS(ZELMO_HW_MEMBER)
#undef ZELMO_HW_MEMBER
};

class HardwareBinding {
public:
    // Loads appDir/libhardware.so and resolves the start-up entry points. On failure nothing
    // stays loaded and the result asks the application to terminate.
    BindResult bind(const QString& appDir);
    // Forgets the entry points and drops this binding's reference to the library.
    void release();

    bool isBound() const { return bound_; }
    const HardwareEntryPoints& api() const { return api_; }

private:
    LibraryFile library_;
    HardwareEntryPoints api_;
    bool bound_ = false;
};

class OperationBinding {
public:
    // Same as HardwareBinding::bind for the operation entry points; never asks to terminate.
    BindResult bind(const QString& appDir);
    void release();

    bool isBound() const { return bound_; }
    const OperationEntryPoints& api() const { return api_; }

private:
    LibraryFile library_;
    OperationEntryPoints api_;
    bool bound_ = false;
};

} // namespace zelmo
