/* The C interface of the hardware library (libhardware.so): every entry point, the records it
 * exchanges byte for byte, one function-pointer typedef per entry point and X-macro lists of the
 * entry point names so that a binder can resolve them in a loop.
 *
 * Conventions
 * - Plain C, usable from C11 and C++20. Records are packed and little-endian.
 * - "bool" results are one byte (uint8_t): nonzero means success.
 * - P is a programmer's port number (ProgrammerInfo.Port); it is the first argument of every
 *   per-programmer call. Ports are independent: calls for different ports may run on different
 *   threads at the same time; the calls for one port are serialised by the caller.
 * - Wide texts are NUL-terminated UTF-16 (char16_t); 8-bit texts are NUL-terminated ISO 8859-1.
 * - A swap file crosses the interface as the platform file descriptor (int32_t). The library
 *   reads and writes it with positioned transfers and never closes it or moves its offset.
 * - Texts written into caller buffers are always NUL-terminated within the buffer width.
 *
 * Choices made here where only the meaning of an argument is fixed:
 * - _ZmDeviceCount fills ZmPortListEntry records; their description text is informational.
 * - _ZmGetProgress takes the cancel request by value; both outputs may be null (a call that only
 *   forwards a cancel request). Results: 0 = the percent is valid, 1 = the programmer is busy
 *   without a percent (waiting for the next device), -1 = unknown port or nothing running.
 * - _ZmGetMessage context: a port, or 0 for the library-wide messages (catalogue, buffer
 *   information), or a programmer's position in the last _ZmDeviceCount list (used after a
 *   failed _ZmOpen, whose messages are kept under the port and under that position).
 * - The data-set storage of _ZmInitLib is a ZmDataSetStorage record: the swap file descriptor
 *   and the position and size of memories A to D and area E inside it.
 * - The memory A file entry of _ZmInitLib points to a ZmFileEntry (null when no file is
 *   assigned); a record whose Size is not sizeof(ZmFileEntry) counts as no file. The log view
 *   of _ZmInitLib and the window of _ZmDeviceSetup are opaque pointers the library passes
 *   through or ignores; they may be null.
 * - Card access (_ZmReadCard/_ZmWriteCard): P | ZM_CARD_OPEN with sector 0, count 0 and a null
 *   buffer opens access, P | ZM_CARD_CLOSE closes it.
 * - _ZmAdapterGetSocket: the command's high half is ZM_SOCKET_START, 0 (poll) or ZM_SOCKET_STOP;
 *   its low 16 bits select the port. Port 0 with no programmer at port 0 means the programmer
 *   most recently prepared with _ZmInitHardware.
 * - _ProjectReference is optional and not part of the required set.
 */
#ifndef ZELMO_HARDWARE_API_H
#define ZELMO_HARDWARE_API_H

#include "abi/device_records.h"

#include <stddef.h>
#include <stdint.h>

#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define ZM_EXPORT __declspec(dllexport)
#else
#define ZM_EXPORT __attribute__((visibility("default")))
#endif

/* ---- Constants ------------------------------------------------------------------------- */

enum {
    ZM_MAX_PROGRAMMERS = 16,
    ZM_PORT_LIST_ENTRY_SIZE = 34,
    ZM_MODEL_NAME_SIZE = 50,
    ZM_HW_VERSION_SIZE = 10,
    ZM_SERIAL_SIZE = 10,
    ZM_VENDOR_NAME_SIZE = 50,
    ZM_ADAPTER_IMAGE_SIZE = 2310,
    ZM_OPERATION_BLOCK_SIZE = 2320,
    ZM_MESSAGE_TEXT_CHARS = 512,
    ZM_CARD_SECTOR_SIZE = 512,
    ZM_SOCKET_PINS = 48
};

/* Operation bits (OperationBlock.Operations), equal to the DEV_ capability bits. */
enum {
    OP_CHECK_ID = 0x01,
    OP_READ = 0x02,
    OP_ERASE = 0x04,
    OP_BLANK_CHECK = 0x08,
    OP_PROGRAM = 0x10,
    OP_VERIFY = 0x20,
    OP_CONFIGURE = 0x40,
    OP_TEST = 0x80,
    OP_PIN_CHECK = 0x100
};

/* OperationBlock.Mode */
enum {
    OPMODE_SINGLE = 0,
    OPMODE_RUN = 1,
    OPMODE_PRODUCTION_OK_BUTTON = 2, /* ProdModeType 0 */
    OPMODE_PRODUCTION_INSERTION = 3, /* ProdModeType 1 */
    OPMODE_CARD_CODE = 4
};

/* _ZmGetStatus results once an operation has ended (negative while it runs). A failed
 * operation reports the bit of the operation that failed. */
enum {
    ZM_STATUS_OK = 0,
    ZM_STATUS_PIN_CHECK = 0x100,
    ZM_STATUS_CANCELLED = 0x800,
    /* A pin check asked of a device that cannot check its pins: nothing was tested, so this is
     * neither success nor a contact failure. */
    ZM_STATUS_UNSUPPORTED = 0x1000,
    /* _ZmProcessOps without a prepared device, and every call made out of the order
     * _ZmInitLib, _ZmMakeCode, _ZmRunCode, _ZmProcessOps. */
    ZM_STATUS_NOT_PREPARED = 0x4000
};

/* ZmMessage.Class */
enum { ZM_MSG_INFO = 0, ZM_MSG_DETAIL = 1, ZM_MSG_STATUS_LINE = 2 };

/* Card access and socket-sensing commands. */
enum { ZM_CARD_OPEN = 0x10000, ZM_CARD_CLOSE = 0x20000 };
enum { ZM_SOCKET_POLL = 0, ZM_SOCKET_START = 0x10000, ZM_SOCKET_STOP = 0x20000 };

/* ZmSocketState.Key */
enum { ZM_KEY_ACCEPT = -2, ZM_KEY_NEXT = -5, ZM_KEY_PREVIOUS = -9 };

#pragma pack(push, 1)

/* One programmer, filled by _ZmGetProgrammerType through pointers into the record. */
typedef struct ProgrammerInfo {
    int32_t Port;
    uint8_t Model;
    char ModelName[ZM_MODEL_NAME_SIZE];
    char HardwareVersion[ZM_HW_VERSION_SIZE];
    char SerialNumber[ZM_SERIAL_SIZE];
    uint8_t Firmware[4]; /* major, then three sub-fields */
    uint8_t Spare;
} ProgrammerInfo;

/* One entry of the _ZmDeviceCount list (16 entries). */
typedef struct ZmPortListEntry {
    char Description[32]; /* model name and serial number, informational */
    uint8_t Port;
    uint8_t Reserved;
} ZmPortListEntry;

/* Catalogue vendor record; the list is owned by the library and walked by count. */
typedef struct ZmVendorRecord {
    char Code[5]; /* up to 4 characters */
    char Name[ZM_VENDOR_NAME_SIZE];
    char Web[53];
    struct ZmVendorRecord* Next;
} ZmVendorRecord;

/* Catalogue device record: the descriptor followed by the link; walked by count. */
typedef struct ZmDeviceRecord {
    DeviceDescriptor Descriptor;
    struct ZmDeviceRecord* Next;
} ZmDeviceRecord;

/* Handed by value to _ZmInitLib. */
typedef struct OperationBlock {
    uint8_t Mode;
    uint8_t One; /* always 1 (0 when building stand-alone card code) */
    uint8_t Beep;
    uint8_t Reserved;
    uint32_t Operations;
    uint8_t MemSelect;
    uint8_t AdapterData[ZM_ADAPTER_IMAGE_SIZE]; /* adapter image, passed as bytes */
    uint8_t DefaultTestState;
} OperationBlock;

/* A library message; record n of a context is fetched with _ZmGetMessage. */
typedef struct ZmMessage {
    uint8_t Class; /* ZM_MSG_STATUS_LINE: the text is also the device's status line */
    uint8_t Reserved[3];
    int32_t Error; /* nonzero: the message reports a failure */
    char16_t Text[ZM_MESSAGE_TEXT_CHARS];
} ZmMessage;

/* Pin-check result of _ZmGetPinCheckRes. */
typedef struct ZmPinCheckResult {
    char Kind;                 /* 'I' in-circuit connector, anything else the 48-pin socket */
    char Pins[ZM_SOCKET_PINS]; /* 'C' connected, 'U' no contact, 'G' ground, '.' not tested */
} ZmPinCheckResult;

/* Socket state read by _ZmAdapterGetSocket with ZM_SOCKET_POLL. */
typedef struct ZmSocketState {
    uint8_t Pins[ZM_SOCKET_PINS]; /* socket pin s + 1; 0 = a connection is sensed */
    int8_t Key;                   /* ZM_KEY_..., anything else no key */
} ZmSocketState;

/* Where a data set's memories live: the swap file and the byte range of memories A to D and
 * area E (index 4) inside it. Sizes equal the descriptor's MemSize. */
typedef struct ZmDataSetStorage {
    int32_t SwapFile; /* platform file descriptor */
    uint32_t Reserved;
    int64_t MemStart[5];
    uint64_t MemSize[5];
} ZmDataSetStorage;

/* The file assigned to memory A, as _ZmInitLib reads it: devices programmed from a file (the
 * JTAG kind, whose design comes as a JEDEC, POF or ispVME file) read the file themselves. The
 * path stays valid until _ZmInitLib returns; a library that needs it later keeps a copy. */
typedef struct ZmFileEntry {
    uint32_t Size; /* sizeof(ZmFileEntry) */
    uint8_t Type;  /* format index: 0 Binary, 1 Intel HEX, 2 Motorola S-record, 3 TI-txt, 4 POF,
                      5 Jedec, 6 ispVME */
    uint8_t Reserved[3];
    const char16_t* Path; /* full path, NUL-terminated */
} ZmFileEntry;

#pragma pack(pop)

ZELMO_STATIC_ASSERT(sizeof(ProgrammerInfo) == 80, "ProgrammerInfo is 80 bytes");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, Port) == 0, "Port");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, Model) == 4, "Model");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, ModelName) == 5, "ModelName");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, HardwareVersion) == 55, "HardwareVersion");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, SerialNumber) == 65, "SerialNumber");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, Firmware) == 75, "Firmware");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, Spare) == 79, "Spare");

ZELMO_STATIC_ASSERT(sizeof(ZmPortListEntry) == ZM_PORT_LIST_ENTRY_SIZE,
                    "port list entry is 34 bytes");
ZELMO_STATIC_ASSERT(offsetof(ZmPortListEntry, Port) == 32, "Port");

ZELMO_STATIC_ASSERT(sizeof(ZmVendorRecord) == 108 + sizeof(void*), "vendor record");
ZELMO_STATIC_ASSERT(offsetof(ZmVendorRecord, Code) == 0, "Code");
ZELMO_STATIC_ASSERT(offsetof(ZmVendorRecord, Name) == 5, "Name");
ZELMO_STATIC_ASSERT(offsetof(ZmVendorRecord, Web) == 55, "Web");
ZELMO_STATIC_ASSERT(offsetof(ZmVendorRecord, Next) == 108, "Next");

ZELMO_STATIC_ASSERT(sizeof(ZmDeviceRecord) == 292 + sizeof(void*), "device record");
ZELMO_STATIC_ASSERT(offsetof(ZmDeviceRecord, Next) == 292, "Next");

ZELMO_STATIC_ASSERT(sizeof(OperationBlock) == ZM_OPERATION_BLOCK_SIZE,
                    "OperationBlock is 2320 bytes");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, Mode) == 0, "Mode");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, One) == 1, "One");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, Beep) == 2, "Beep");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, Reserved) == 3, "Reserved");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, Operations) == 4, "Operations");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, MemSelect) == 8, "MemSelect");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, AdapterData) == 9, "AdapterData");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, DefaultTestState) == 2319, "DefaultTestState");
ZELMO_STATIC_ASSERT(ZM_PORT_LIST_ENTRY_SIZE == 34 && ZM_OPERATION_BLOCK_SIZE == 2320 &&
                        ZM_ADAPTER_IMAGE_SIZE == 2310 && ZM_CARD_SECTOR_SIZE == 512,
                    "sizes fixed by the library contract");

ZELMO_STATIC_ASSERT(sizeof(ZmMessage) == 8 + 2 * ZM_MESSAGE_TEXT_CHARS, "ZmMessage");
ZELMO_STATIC_ASSERT(offsetof(ZmMessage, Class) == 0, "Class");
ZELMO_STATIC_ASSERT(offsetof(ZmMessage, Error) == 4, "Error");
ZELMO_STATIC_ASSERT(offsetof(ZmMessage, Text) == 8, "Text");

ZELMO_STATIC_ASSERT(sizeof(ZmPinCheckResult) == 49, "pin-check record is 49 bytes");
ZELMO_STATIC_ASSERT(offsetof(ZmPinCheckResult, Pins) == 1, "Pins");

ZELMO_STATIC_ASSERT(sizeof(ZmSocketState) == 49, "socket state is 49 bytes");
ZELMO_STATIC_ASSERT(offsetof(ZmSocketState, Key) == 48, "Key");

ZELMO_STATIC_ASSERT(sizeof(ZmDataSetStorage) == 88, "ZmDataSetStorage");
ZELMO_STATIC_ASSERT(sizeof(ZmFileEntry) == 8 + sizeof(void*), "ZmFileEntry");
ZELMO_STATIC_ASSERT(offsetof(ZmFileEntry, Size) == 0, "Size");
ZELMO_STATIC_ASSERT(offsetof(ZmFileEntry, Type) == 4, "Type");
ZELMO_STATIC_ASSERT(offsetof(ZmFileEntry, Reserved) == 5, "Reserved");
ZELMO_STATIC_ASSERT(offsetof(ZmFileEntry, Path) == 8, "Path");
ZELMO_STATIC_ASSERT(offsetof(ZmDataSetStorage, SwapFile) == 0, "SwapFile");
ZELMO_STATIC_ASSERT(offsetof(ZmDataSetStorage, MemStart) == 8, "MemStart");
ZELMO_STATIC_ASSERT(offsetof(ZmDataSetStorage, MemSize) == 48, "MemSize");

/* ---- Entry points ----------------------------------------------------------------------- */
/* Each entry point's function type is declared once, as base##_ft. The library's exports are
 * declared from it (so an implementation that strays from the type does not compile) and the
 * binder's pointer type base##_fn is a pointer to it. */

/* Library start (debug flag), application directory (ends with '/'), release of everything. */
typedef void ZmInit_ft(uint8_t debug);
typedef void ZmSetPath_ft(const char16_t* appDir);
typedef void ZmFree_ft(void);

/* Fills up to ZM_MAX_PROGRAMMERS entries; returns the number of programmers found. */
typedef int32_t ZmDeviceCount_ft(ZmPortListEntry list[ZM_MAX_PROGRAMMERS]);

typedef uint8_t ZmOpen_ft(int32_t port);
typedef void ZmClose_ft(int32_t port);
typedef uint8_t ZmIsOpen_ft(int32_t port);

typedef uint8_t ZmGetProgrammerType_ft(int32_t port, uint8_t* model, char name[ZM_MODEL_NAME_SIZE],
                                       char version[ZM_HW_VERSION_SIZE],
                                       char serial[ZM_SERIAL_SIZE]);
typedef void ZmSetHardwareType_ft(int32_t port, uint8_t model);

/* available: version in the image file; current: version in the programmer. */
typedef uint8_t ZmCheckFirmware_ft(int32_t port, const char16_t* imagePath, uint8_t available[4],
                                   uint8_t current[4]);
typedef uint8_t ZmLoadFirmwareFile_ft(int32_t port, const char16_t* imagePath);
typedef uint8_t ZmUpdateFirmware_ft(int32_t port, const char16_t* updaterPath);

/* mode is always 0. */
typedef uint8_t ZmInitHardware_ft(int32_t port, int32_t mode);
typedef void ZmCloseHardware_ft(int32_t port);
/* Nonzero while the programmer is busy (an operation is prepared or running). */
typedef int32_t ZmGetHardware_ft(int32_t port);

/* Negative while running, then ZM_STATUS_OK, ZM_STATUS_PIN_CHECK, ZM_STATUS_CANCELLED or the
 * failing operation's bit. */
typedef int32_t ZmGetStatus_ft(int32_t port);
/* See the conventions above. trigger receives 1 once when the next device is ready in a
 * production mode. */
typedef int32_t ZmGetProgress_ft(int32_t port, double* percent, uint8_t cancel, uint8_t* trigger);
/* Copies message n of the context into *message; 0 when there is no message n. */
typedef uint8_t ZmGetMessage_ft(int32_t context, int32_t n, ZmMessage* message);

/* Catalogue: loads the file and hands out the list heads; 1 = loaded. */
typedef int32_t ZmGetVendorsDevices_ft(const char16_t* cataloguePath, ZmDeviceRecord** devices,
                                       ZmVendorRecord** vendors);
typedef int32_t ZmGetNoOfVendors_ft(void);
typedef int32_t ZmGetNoOfDevices_ft(void);
typedef ZmVendorRecord* ZmGetVendors_ft(void);
typedef ZmDeviceRecord* ZmGetDevices_ft(void);
/* Writes the vendor's display name (empty when the code is unknown). */
typedef void ZmGetVendorName_ft(const char vendor[5], char name[ZM_VENDOR_NAME_SIZE]);
typedef uint8_t ZmSearchDev_ft(const char vendor[5], const char name[25], const char package[10],
                               DeviceDescriptor* descriptor);
/* port is 0; params is the descriptor's LibParams; fills four records (A to D). */
typedef uint8_t ZmGetBufferInfo_ft(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                                   BufferInfo buffers[4]);

/* Prepares the device's algorithm for the operations of the block on the data set. */
typedef uint8_t ZmInitLib_ft(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                             OperationBlock block, const ZmDataSetStorage* storage,
                             const void* fileEntryA, void* logView);
/* Nonzero when the code for the prepared operations is ready. */
typedef int32_t ZmMakeCode_ft(int32_t port);
/* Arms the programmer: from here _ZmGetStatus is negative until the operations end. */
typedef void ZmRunCode_ft(int32_t port);
/* Runs the operations on the calling thread and returns when they end (stop = 0), or ends a
 * production wait without running them (stop = 1). */
typedef void ZmProcessOps_ft(int32_t port, uint8_t stop);
/* Size of the generated code; with a buffer it also copies the code into it. */
typedef int32_t ZmGetCode_ft(int32_t port, uint8_t* buffer);
typedef void ZmGetPinCheckRes_ft(int32_t port, ZmPinCheckResult* result);
typedef void ZmDeviceSetup_ft(int32_t port, void* window);
typedef void ZmFreeLib_ft(int32_t port);

/* CompactFlash card in the programmer; sectors of ZM_CARD_SECTOR_SIZE bytes. */
typedef uint8_t ZmCardInserted_ft(int32_t port);
typedef uint8_t ZmIdentifyCard_ft(int32_t port, uint8_t block[ZM_CARD_SECTOR_SIZE]);
typedef uint8_t ZmReadCard_ft(int32_t port, uint32_t firstSector, uint32_t count, uint8_t* buffer);
typedef uint8_t ZmWriteCard_ft(int32_t port, uint32_t firstSector, uint32_t count,
                               const uint8_t* buffer);

/* Socket sensing for the adapter scan; state is needed for ZM_SOCKET_POLL only. */
typedef uint8_t ZmAdapterGetSocket_ft(int32_t command, ZmSocketState* state);

/* Optional export; its argument is the path of the open project (wide). The simulator does not
 * provide it. */
typedef void ProjectReference_ft(const char16_t* projectPath);

/* ---- Entry point name lists ------------------------------------------------------------ */
/* X(base): the exported symbol is "_" #base (ZM_SYMBOL(base)), its function type base##_ft and
 * its pointer type base##_fn.
 * Example: #define BIND(b) b##_fn b = (b##_fn)lib.resolve(ZM_SYMBOL(b));
 *          ZM_STARTUP_ENTRY_POINTS(BIND) */
#define ZM_SYMBOL(base) "_" #base

/* Bound at start-up (everything but _ZmAdapterGetSocket); a missing one is fatal. */
#define ZM_STARTUP_ENTRY_POINTS(X)                                                                 \
    X(ZmInit)                                                                                      \
    X(ZmSetPath)                                                                                   \
    X(ZmFree)                                                                                      \
    X(ZmDeviceCount)                                                                               \
    X(ZmOpen)                                                                                      \
    X(ZmClose)                                                                                     \
    X(ZmIsOpen)                                                                                    \
    X(ZmGetProgrammerType)                                                                         \
    X(ZmSetHardwareType)                                                                           \
    X(ZmCheckFirmware)                                                                             \
    X(ZmLoadFirmwareFile)                                                                          \
    X(ZmUpdateFirmware)                                                                            \
    X(ZmInitHardware)                                                                              \
    X(ZmCloseHardware)                                                                             \
    X(ZmGetHardware)                                                                               \
    X(ZmGetStatus)                                                                                 \
    X(ZmGetProgress)                                                                               \
    X(ZmGetMessage)                                                                                \
    X(ZmGetVendorsDevices)                                                                         \
    X(ZmGetNoOfVendors)                                                                            \
    X(ZmGetNoOfDevices)                                                                            \
    X(ZmGetVendors)                                                                                \
    X(ZmGetDevices)                                                                                \
    X(ZmGetVendorName)                                                                             \
    X(ZmSearchDev)                                                                                 \
    X(ZmGetBufferInfo)                                                                             \
    X(ZmInitLib)                                                                                   \
    X(ZmMakeCode)                                                                                  \
    X(ZmRunCode)                                                                                   \
    X(ZmProcessOps)                                                                                \
    X(ZmGetCode)                                                                                   \
    X(ZmGetPinCheckRes)                                                                            \
    X(ZmDeviceSetup)                                                                               \
    X(ZmFreeLib)                                                                                   \
    X(ZmCardInserted)                                                                              \
    X(ZmIdentifyCard)                                                                              \
    X(ZmReadCard)                                                                                  \
    X(ZmWriteCard)

/* The copy each operation thread binds for itself. */
#define ZM_OPERATION_ENTRY_POINTS(X)                                                               \
    X(ZmInitLib)                                                                                   \
    X(ZmFreeLib)                                                                                   \
    X(ZmMakeCode)                                                                                  \
    X(ZmRunCode)                                                                                   \
    X(ZmProcessOps)                                                                                \
    X(ZmGetStatus)                                                                                 \
    X(ZmGetProgress)                                                                               \
    X(ZmGetMessage)                                                                                \
    X(ZmGetPinCheckRes)

/* Loaded by the adapter scan worker itself. */
#define ZM_SCAN_ENTRY_POINTS(X) X(ZmAdapterGetSocket)

/* May be absent. */
#define ZM_OPTIONAL_ENTRY_POINTS(X) X(ProjectReference)

/* Every required entry point. */
#define ZM_ENTRY_POINTS(X) ZM_STARTUP_ENTRY_POINTS(X) ZM_SCAN_ENTRY_POINTS(X)

/* The exports a hardware library provides, and the pointer types a binder resolves them into. */
#define ZM_DECLARE_EXPORT(base) ZM_EXPORT base##_ft _##base;
#define ZM_DECLARE_POINTER(base) typedef base##_ft* base##_fn;
ZM_ENTRY_POINTS(ZM_DECLARE_EXPORT)
ZM_ENTRY_POINTS(ZM_DECLARE_POINTER)
ZM_OPTIONAL_ENTRY_POINTS(ZM_DECLARE_POINTER)
#undef ZM_DECLARE_EXPORT
#undef ZM_DECLARE_POINTER

#ifdef __cplusplus
}
#endif

#endif
