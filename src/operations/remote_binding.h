#pragma once

// The optional remote-control library, bound by name from the application directory. Absent,
// remote control is off for the run; present but without all four entry points, the
// application reports "Incorrect 'libRemoteCtrl.so'" and terminates.

#include "abi/remote_api.h"
#include "operations/bind_result.h"
#include "operations/library_file.h"

#include <QString>

#include <cstdint>

namespace zelmo {

struct RemoteEntryPoints {
#define ZELMO_REMOTE_MEMBER(name, type, member) type member = nullptr;
    ZELMO_REMOTE_ENTRY_POINTS(ZELMO_REMOTE_MEMBER)
#undef ZELMO_REMOTE_MEMBER
};

class RemoteControlBinding {
public:
    // Binds libRemoteCtrl.so from appDir. An absent library is a success with isLoaded()
    // false; an incomplete one fails with the message and a terminate request.
    BindResult bind(const QString& appDir);
    void release();

    bool isLoaded() const { return library_.isLoaded(); }
    const RemoteEntryPoints& entryPoints() const { return api_; }

    // The four calls; each does nothing (CheckStatus answers 0) while no library is bound.
    void Init() const;
    void Free() const;
    std::int32_t CheckStatus(std::int32_t slot) const;
    void Result(std::int32_t slot, std::int32_t status) const;

private:
    LibraryFile library_;
    RemoteEntryPoints api_;
};

} // namespace zelmo
