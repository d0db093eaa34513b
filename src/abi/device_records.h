/* Records exchanged byte for byte with the hardware library: the catalogue's device descriptor
 * and the description of each device memory. Little-endian, packed; plain C so that the
 * library's C header can include it. */
#ifndef ZELMO_DEVICE_RECORDS_H
#define ZELMO_DEVICE_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define ZELMO_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define ZELMO_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#pragma pack(push, 1)

/* Device type codes (DeviceDescriptor.Type). */
enum {
    DT_EPROM = 1,
    DT_EEPROM = 2,
    DT_FLASH = 3,
    DT_MICROCONTROLLER = 4,
    DT_PLD = 5,
    DT_JTAG = 6,
    DT_SERIAL_EEPROM = 7,
    DT_STATIC_RAM = 8,
    DT_NAND_FLASH = 9,
    DT_SERIAL_FLASH = 10,
    DT_OTHER = 99
};

/* Capability bits (DeviceDescriptor.Flags). */
enum {
    DEV_CHECK_ID = 0x0001,
    DEV_READ = 0x0002,
    DEV_ERASE = 0x0004,
    DEV_BLANK_CHECK = 0x0008,
    DEV_PROGRAM = 0x0010,
    DEV_VERIFY = 0x0020,
    DEV_CONFIGURE = 0x0040,
    DEV_TEST = 0x0080,
    DEV_PIN_CHECK = 0x0100,
    DEV_SETUP = 0x0200,
    DEV_RUN = 0x0400,
    DEV_FILES = 0x0800,
    DEV_ADAPTER = 0x1000,
    DEV_SERIALIZATION = 0x2000,
    DEV_STAND_ALONE = 0x4000
};

/* Memory flags (BufferInfo.Flags). */
enum { BUF_READ_ONLY = 0x1, BUF_MANDATORY = 0x2, BUF_START_DISABLED = 0x4 };

/* Memory organisation (BufferInfo.Organization). */
enum { ORG_8BIT = 1, ORG_16BIT = 2, ORG_32BIT = 3, ORG_FUSE_MAP = 5, ORG_TEST_VECTORS = 6 };

typedef struct DeviceDescriptor {
    uint8_t Type;
    char Vendor[5];
    char Name[25];
    char Package[10];
    char LibName[20];
    uint8_t LibParams[203];
    uint32_t MemSize[5]; /* A, B, C, D and the extra area E */
    uint32_t PinCount;   /* only the low byte is used */
    uint32_t Flags;
} DeviceDescriptor;

typedef struct AreaInfo {
    char Name[32];
    uint32_t Start;
    uint32_t End;   /* inclusive */
    uint32_t Color; /* 0x00BBGGRR; 0 marks an empty entry */
} AreaInfo;

typedef struct BufferInfo {
    char Name[30];
    uint8_t Organization;
    uint8_t Reserved;
    uint32_t Color; /* 0x00BBGGRR */
    uint32_t Flags;
    AreaInfo Areas[6];
} BufferInfo;

#pragma pack(pop)

ZELMO_STATIC_ASSERT(sizeof(DeviceDescriptor) == 292, "DeviceDescriptor is 292 bytes");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, Type) == 0, "Type");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, Vendor) == 1, "Vendor");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, Name) == 6, "Name");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, Package) == 31, "Package");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, LibName) == 41, "LibName");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, LibParams) == 61, "LibParams");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, MemSize) == 264, "MemSize");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, PinCount) == 284, "PinCount");
ZELMO_STATIC_ASSERT(offsetof(DeviceDescriptor, Flags) == 288, "Flags");

ZELMO_STATIC_ASSERT(sizeof(AreaInfo) == 44, "AreaInfo is 44 bytes");
ZELMO_STATIC_ASSERT(offsetof(AreaInfo, Start) == 32, "Start");
ZELMO_STATIC_ASSERT(offsetof(AreaInfo, End) == 36, "End");
ZELMO_STATIC_ASSERT(offsetof(AreaInfo, Color) == 40, "Color");

ZELMO_STATIC_ASSERT(sizeof(BufferInfo) == 304, "BufferInfo is 304 bytes");
ZELMO_STATIC_ASSERT(offsetof(BufferInfo, Organization) == 30, "Organization");
ZELMO_STATIC_ASSERT(offsetof(BufferInfo, Color) == 32, "Color");
ZELMO_STATIC_ASSERT(offsetof(BufferInfo, Flags) == 36, "Flags");
ZELMO_STATIC_ASSERT(offsetof(BufferInfo, Areas) == 40, "Areas");

#endif
