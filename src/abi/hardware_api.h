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
 * - The memory A file entry and the log view of _ZmInitLib and the window of _ZmDeviceSetup are
 *   opaque pointers the library passes through or ignores; they may be null.
 * - Card access (_ZmReadCard/_ZmWriteCard): P | ZM_CARD_OPEN with sector 0, count 0 and a null
 *   buffer opens access, P | ZM_CARD_CLOSE closes it.
 * - _ZmAdapterGetSocket: the command's high half is ZM_SOCKET_START, 0 (poll) or ZM_SOCKET_STOP;
 *   its low 16 bits select the port. Port 0 with no programmer at port 0 means the programmer
 *   most recently prepared with _ZmInitHardware.
 * - _ProjectReference is optional and not part of the required set.
 */
#ifndef ZELMO_HARDWARE_API_H
#define ZELMO_HARDWARE_API_H

#include "project/device_records.h"

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
    ZM_STATUS_NOT_PREPARED = 0x4000 /* _ZmProcessOps without a prepared device */
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
    char ModelName[50];
    char HardwareVersion[10];
    char SerialNumber[10];
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
    char Name[50];
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
    uint8_t AdapterData[2310]; /* adapter image, passed as bytes */
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
    char Kind;     /* 'I' in-circuit connector, anything else the 48-pin socket */
    char Pins[48]; /* 'C' connected, 'U' no contact, 'G' ground, '.' not tested */
} ZmPinCheckResult;

/* Socket state read by _ZmAdapterGetSocket with ZM_SOCKET_POLL. */
typedef struct ZmSocketState {
    uint8_t Pins[48]; /* socket pin s + 1; 0 = a connection is sensed */
    int8_t Key;       /* ZM_KEY_..., anything else no key */
} ZmSocketState;

/* Where a data set's memories live: the swap file and the byte range of memories A to D and
 * area E (index 4) inside it. Sizes equal the descriptor's MemSize. */
typedef struct ZmDataSetStorage {
    int32_t SwapFile; /* platform file descriptor */
    uint32_t Reserved;
    int64_t MemStart[5];
    uint64_t MemSize[5];
} ZmDataSetStorage;

#pragma pack(pop)

ZELMO_STATIC_ASSERT(sizeof(ProgrammerInfo) == 80, "ProgrammerInfo is 80 bytes");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, Port) == 0, "Port");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, Model) == 4, "Model");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, ModelName) == 5, "ModelName");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, HardwareVersion) == 55, "HardwareVersion");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, SerialNumber) == 65, "SerialNumber");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, Firmware) == 75, "Firmware");
ZELMO_STATIC_ASSERT(offsetof(ProgrammerInfo, Spare) == 79, "Spare");

ZELMO_STATIC_ASSERT(sizeof(ZmPortListEntry) == 34, "port list entry is 34 bytes");
ZELMO_STATIC_ASSERT(offsetof(ZmPortListEntry, Port) == 32, "Port");

ZELMO_STATIC_ASSERT(sizeof(ZmVendorRecord) == 108 + sizeof(void*), "vendor record");
ZELMO_STATIC_ASSERT(offsetof(ZmVendorRecord, Code) == 0, "Code");
ZELMO_STATIC_ASSERT(offsetof(ZmVendorRecord, Name) == 5, "Name");
ZELMO_STATIC_ASSERT(offsetof(ZmVendorRecord, Web) == 55, "Web");
ZELMO_STATIC_ASSERT(offsetof(ZmVendorRecord, Next) == 108, "Next");

ZELMO_STATIC_ASSERT(sizeof(ZmDeviceRecord) == 292 + sizeof(void*), "device record");
ZELMO_STATIC_ASSERT(offsetof(ZmDeviceRecord, Next) == 292, "Next");

ZELMO_STATIC_ASSERT(sizeof(OperationBlock) == 2320, "OperationBlock is 2320 bytes");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, Mode) == 0, "Mode");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, One) == 1, "One");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, Beep) == 2, "Beep");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, Reserved) == 3, "Reserved");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, Operations) == 4, "Operations");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, MemSelect) == 8, "MemSelect");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, AdapterData) == 9, "AdapterData");
ZELMO_STATIC_ASSERT(offsetof(OperationBlock, DefaultTestState) == 2319, "DefaultTestState");

ZELMO_STATIC_ASSERT(sizeof(ZmMessage) == 8 + 2 * ZM_MESSAGE_TEXT_CHARS, "ZmMessage");
ZELMO_STATIC_ASSERT(offsetof(ZmMessage, Class) == 0, "Class");
ZELMO_STATIC_ASSERT(offsetof(ZmMessage, Error) == 4, "Error");
ZELMO_STATIC_ASSERT(offsetof(ZmMessage, Text) == 8, "Text");

ZELMO_STATIC_ASSERT(sizeof(ZmPinCheckResult) == 49, "pin-check record is 49 bytes");
ZELMO_STATIC_ASSERT(offsetof(ZmPinCheckResult, Pins) == 1, "Pins");

ZELMO_STATIC_ASSERT(sizeof(ZmSocketState) == 49, "socket state is 49 bytes");
ZELMO_STATIC_ASSERT(offsetof(ZmSocketState, Key) == 48, "Key");

ZELMO_STATIC_ASSERT(sizeof(ZmDataSetStorage) == 88, "ZmDataSetStorage");
ZELMO_STATIC_ASSERT(offsetof(ZmDataSetStorage, SwapFile) == 0, "SwapFile");
ZELMO_STATIC_ASSERT(offsetof(ZmDataSetStorage, MemStart) == 8, "MemStart");
ZELMO_STATIC_ASSERT(offsetof(ZmDataSetStorage, MemSize) == 48, "MemSize");

/* ---- Entry points ---------------------------------------------------------------------- */

/* Library start (debug flag), application directory (ends with '/'), release of everything. */
ZM_EXPORT void _ZmInit(uint8_t debug);
ZM_EXPORT void _ZmSetPath(const char16_t* appDir);
ZM_EXPORT void _ZmFree(void);

/* Fills up to 16 entries; returns the number of programmers found. */
ZM_EXPORT int32_t _ZmDeviceCount(ZmPortListEntry list[16]);

ZM_EXPORT uint8_t _ZmOpen(int32_t port);
ZM_EXPORT void _ZmClose(int32_t port);
ZM_EXPORT uint8_t _ZmIsOpen(int32_t port);

ZM_EXPORT uint8_t _ZmGetProgrammerType(int32_t port, uint8_t* model, char name[50],
                                       char version[10], char serial[10]);
ZM_EXPORT void _ZmSetHardwareType(int32_t port, uint8_t model);

/* available: version in the image file; current: version in the programmer. */
ZM_EXPORT uint8_t _ZmCheckFirmware(int32_t port, const char16_t* imagePath, uint8_t available[4],
                                   uint8_t current[4]);
ZM_EXPORT uint8_t _ZmLoadFirmwareFile(int32_t port, const char16_t* imagePath);
ZM_EXPORT uint8_t _ZmUpdateFirmware(int32_t port, const char16_t* updaterPath);

/* mode is always 0. */
ZM_EXPORT uint8_t _ZmInitHardware(int32_t port, int32_t mode);
ZM_EXPORT void _ZmCloseHardware(int32_t port);
/* Nonzero while the programmer is busy (an operation is prepared or running). */
ZM_EXPORT int32_t _ZmGetHardware(int32_t port);

/* Negative while running, then ZM_STATUS_OK, ZM_STATUS_PIN_CHECK, ZM_STATUS_CANCELLED or the
 * failing operation's bit. */
ZM_EXPORT int32_t _ZmGetStatus(int32_t port);
/* See the conventions above. trigger receives 1 once when the next device is ready in a
 * production mode. */
ZM_EXPORT int32_t _ZmGetProgress(int32_t port, double* percent, uint8_t cancel, uint8_t* trigger);
/* Copies message n of the context into *message; 0 when there is no message n. */
ZM_EXPORT uint8_t _ZmGetMessage(int32_t context, int32_t n, ZmMessage* message);

/* Catalogue: loads the file and hands out the list heads; 1 = loaded. */
ZM_EXPORT int32_t _ZmGetVendorsDevices(const char16_t* cataloguePath, ZmDeviceRecord** devices,
                                       ZmVendorRecord** vendors);
ZM_EXPORT int32_t _ZmGetNoOfVendors(void);
ZM_EXPORT int32_t _ZmGetNoOfDevices(void);
ZM_EXPORT ZmVendorRecord* _ZmGetVendors(void);
ZM_EXPORT ZmDeviceRecord* _ZmGetDevices(void);
/* Writes the vendor's display name (empty when the code is unknown). */
ZM_EXPORT void _ZmGetVendorName(const char vendor[5], char name[50]);
ZM_EXPORT uint8_t _ZmSearchDev(const char vendor[5], const char name[25], const char package[10],
                               DeviceDescriptor* descriptor);
/* port is 0; params is the descriptor's LibParams; fills four records (A to D). */
ZM_EXPORT uint8_t _ZmGetBufferInfo(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                                   BufferInfo buffers[4]);

/* Prepares the device's algorithm for the operations of the block on the data set. */
ZM_EXPORT uint8_t _ZmInitLib(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                             OperationBlock block, const ZmDataSetStorage* storage,
                             const void* fileEntryA, void* logView);
/* Nonzero when the code for the prepared operations is ready. */
ZM_EXPORT int32_t _ZmMakeCode(int32_t port);
/* Arms the programmer: from here _ZmGetStatus is negative until the operations end. */
ZM_EXPORT void _ZmRunCode(int32_t port);
/* Runs the operations on the calling thread and returns when they end (stop = 0), or ends a
 * production wait without running them (stop = 1). */
ZM_EXPORT void _ZmProcessOps(int32_t port, uint8_t stop);
/* Size of the generated code; with a buffer it also copies the code into it. */
ZM_EXPORT int32_t _ZmGetCode(int32_t port, uint8_t* buffer);
ZM_EXPORT void _ZmGetPinCheckRes(int32_t port, ZmPinCheckResult* result);
ZM_EXPORT void _ZmDeviceSetup(int32_t port, void* window);
ZM_EXPORT void _ZmFreeLib(int32_t port);

/* CompactFlash card in the programmer; sectors of 512 bytes. */
ZM_EXPORT uint8_t _ZmCardInserted(int32_t port);
ZM_EXPORT uint8_t _ZmIdentifyCard(int32_t port, uint8_t block[512]);
ZM_EXPORT uint8_t _ZmReadCard(int32_t port, uint32_t firstSector, uint32_t count, uint8_t* buffer);
ZM_EXPORT uint8_t _ZmWriteCard(int32_t port, uint32_t firstSector, uint32_t count,
                               const uint8_t* buffer);

/* Socket sensing for the adapter scan; state is needed for ZM_SOCKET_POLL only. */
ZM_EXPORT uint8_t _ZmAdapterGetSocket(int32_t command, ZmSocketState* state);

/* ---- Function-pointer types ------------------------------------------------------------ */

typedef void (*ZmInit_fn)(uint8_t debug);
typedef void (*ZmSetPath_fn)(const char16_t* appDir);
typedef void (*ZmFree_fn)(void);
typedef int32_t (*ZmDeviceCount_fn)(ZmPortListEntry* list);
typedef uint8_t (*ZmOpen_fn)(int32_t port);
typedef void (*ZmClose_fn)(int32_t port);
typedef uint8_t (*ZmIsOpen_fn)(int32_t port);
typedef uint8_t (*ZmGetProgrammerType_fn)(int32_t port, uint8_t* model, char* name, char* version,
                                          char* serial);
typedef void (*ZmSetHardwareType_fn)(int32_t port, uint8_t model);
typedef uint8_t (*ZmCheckFirmware_fn)(int32_t port, const char16_t* imagePath, uint8_t* available,
                                      uint8_t* current);
typedef uint8_t (*ZmLoadFirmwareFile_fn)(int32_t port, const char16_t* imagePath);
typedef uint8_t (*ZmUpdateFirmware_fn)(int32_t port, const char16_t* updaterPath);
typedef uint8_t (*ZmInitHardware_fn)(int32_t port, int32_t mode);
typedef void (*ZmCloseHardware_fn)(int32_t port);
typedef int32_t (*ZmGetHardware_fn)(int32_t port);
typedef int32_t (*ZmGetStatus_fn)(int32_t port);
typedef int32_t (*ZmGetProgress_fn)(int32_t port, double* percent, uint8_t cancel,
                                    uint8_t* trigger);
typedef uint8_t (*ZmGetMessage_fn)(int32_t context, int32_t n, ZmMessage* message);
typedef int32_t (*ZmGetVendorsDevices_fn)(const char16_t* cataloguePath, ZmDeviceRecord** devices,
                                          ZmVendorRecord** vendors);
typedef int32_t (*ZmGetNoOfVendors_fn)(void);
typedef int32_t (*ZmGetNoOfDevices_fn)(void);
typedef ZmVendorRecord* (*ZmGetVendors_fn)(void);
typedef ZmDeviceRecord* (*ZmGetDevices_fn)(void);
typedef void (*ZmGetVendorName_fn)(const char* vendor, char* name);
typedef uint8_t (*ZmSearchDev_fn)(const char* vendor, const char* name, const char* package,
                                  DeviceDescriptor* descriptor);
typedef uint8_t (*ZmGetBufferInfo_fn)(int32_t port, const char16_t* libraryPath,
                                      const uint8_t* params, BufferInfo* buffers);
typedef uint8_t (*ZmInitLib_fn)(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                                OperationBlock block, const ZmDataSetStorage* storage,
                                const void* fileEntryA, void* logView);
typedef int32_t (*ZmMakeCode_fn)(int32_t port);
typedef void (*ZmRunCode_fn)(int32_t port);
typedef void (*ZmProcessOps_fn)(int32_t port, uint8_t stop);
typedef int32_t (*ZmGetCode_fn)(int32_t port, uint8_t* buffer);
typedef void (*ZmGetPinCheckRes_fn)(int32_t port, ZmPinCheckResult* result);
typedef void (*ZmDeviceSetup_fn)(int32_t port, void* window);
typedef void (*ZmFreeLib_fn)(int32_t port);
typedef uint8_t (*ZmCardInserted_fn)(int32_t port);
typedef uint8_t (*ZmIdentifyCard_fn)(int32_t port, uint8_t* block);
typedef uint8_t (*ZmReadCard_fn)(int32_t port, uint32_t firstSector, uint32_t count,
                                 uint8_t* buffer);
typedef uint8_t (*ZmWriteCard_fn)(int32_t port, uint32_t firstSector, uint32_t count,
                                  const uint8_t* buffer);
typedef uint8_t (*ZmAdapterGetSocket_fn)(int32_t command, ZmSocketState* state);
/* Optional export; its argument is the path of the open project (wide). The simulator does not
 * provide it. */
typedef void (*ProjectReference_fn)(const char16_t* projectPath);

/* ---- Entry point name lists ------------------------------------------------------------ */
/* X(base): the exported symbol is "_" #base (ZM_SYMBOL(base)), its type base##_fn.
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

#ifdef __cplusplus
}
#endif

#endif
