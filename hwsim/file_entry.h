#pragma once

// Memory A's file entry as _ZmInitLib reads it: the file the application assigned to the
// device, which the library itself reads for the devices programmed from a file (the JTAG
// kind, whose design comes as a JEDEC, POF or ispVME file). The application hands a pointer to
// this record, or null when no file is assigned. Size must hold sizeof(FileEntryRecord); a
// record of another size is taken as no file.

#include <cstddef>
#include <cstdint>

namespace hwsim {

#pragma pack(push, 1)
struct FileEntryRecord {
    std::uint32_t Size; // sizeof(FileEntryRecord)
    std::uint8_t Type;  // format index: 0 Binary ... 4 POF, 5 Jedec, 6 ispVME
    std::uint8_t Reserved[3];
    const char16_t* Path; // full path, NUL-terminated
};
#pragma pack(pop)

static_assert(offsetof(FileEntryRecord, Size) == 0);
static_assert(offsetof(FileEntryRecord, Type) == 4);
static_assert(offsetof(FileEntryRecord, Path) == 8);
static_assert(sizeof(FileEntryRecord) == 8 + sizeof(void*));

} // namespace hwsim
