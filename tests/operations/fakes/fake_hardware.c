/* A stand-in for libhardware.so that exports the C interface with trivial bodies. The binding
 * tests build it several times into separate folders; FAKE_OMIT_<name> leaves one entry point
 * out, and FAKE_STATUS is what _ZmGetStatus answers so a test can tell which copy it reached. */
#include "abi/hardware_api.h"

#include <string.h>

#ifndef FAKE_STATUS
#define FAKE_STATUS 0
#endif

/* What the library was started with, for the tests to read back. */
static int32_t initCalls;
static uint8_t lastDebug;
static char16_t lastPath[1024];

ZM_EXPORT int32_t fake_init_calls(void) {
    return initCalls;
}
ZM_EXPORT uint8_t fake_last_debug(void) {
    return lastDebug;
}
ZM_EXPORT const char16_t* fake_last_path(void) {
    return lastPath;
}

#ifndef FAKE_OMIT_ZmInit
void _ZmInit(uint8_t debug) {
    ++initCalls;
    lastDebug = debug;
}
#endif
void _ZmSetPath(const char16_t* appDir) {
    size_t i = 0;
    for (; appDir[i] != 0 && i + 1 < sizeof lastPath / sizeof lastPath[0]; ++i) {
        lastPath[i] = appDir[i];
    }
    lastPath[i] = 0;
}
void _ZmFree(void) {}
int32_t _ZmDeviceCount(ZmPortListEntry list[16]) {
    memset(list, 0, 16 * sizeof(ZmPortListEntry));
    return 0;
}
uint8_t _ZmOpen(int32_t port) {
    (void)port;
    return 0;
}
void _ZmClose(int32_t port) {
    (void)port;
}
uint8_t _ZmIsOpen(int32_t port) {
    (void)port;
    return 0;
}
uint8_t _ZmGetProgrammerType(int32_t port, uint8_t* model, char name[50], char version[10],
                             char serial[10]) {
    (void)port;
    (void)model;
    (void)name;
    (void)version;
    (void)serial;
    return 0;
}
void _ZmSetHardwareType(int32_t port, uint8_t model) {
    (void)port;
    (void)model;
}
uint8_t _ZmCheckFirmware(int32_t port, const char16_t* imagePath, uint8_t available[4],
                         uint8_t current[4]) {
    (void)port;
    (void)imagePath;
    (void)available;
    (void)current;
    return 0;
}
uint8_t _ZmLoadFirmwareFile(int32_t port, const char16_t* imagePath) {
    (void)port;
    (void)imagePath;
    return 0;
}
uint8_t _ZmUpdateFirmware(int32_t port, const char16_t* updaterPath) {
    (void)port;
    (void)updaterPath;
    return 0;
}
uint8_t _ZmInitHardware(int32_t port, int32_t mode) {
    (void)port;
    (void)mode;
    return 0;
}
void _ZmCloseHardware(int32_t port) {
    (void)port;
}
int32_t _ZmGetHardware(int32_t port) {
    (void)port;
    return 0;
}
#ifndef FAKE_OMIT_ZmGetStatus
int32_t _ZmGetStatus(int32_t port) {
    return FAKE_STATUS + port;
}
#endif
int32_t _ZmGetProgress(int32_t port, double* percent, uint8_t cancel, uint8_t* trigger) {
    (void)port;
    (void)percent;
    (void)cancel;
    (void)trigger;
    return -1;
}
uint8_t _ZmGetMessage(int32_t context, int32_t n, ZmMessage* message) {
    (void)context;
    (void)n;
    (void)message;
    return 0;
}
int32_t _ZmGetVendorsDevices(const char16_t* cataloguePath, ZmDeviceRecord** devices,
                             ZmVendorRecord** vendors) {
    (void)cataloguePath;
    (void)devices;
    (void)vendors;
    return 0;
}
int32_t _ZmGetNoOfVendors(void) {
    return 0;
}
int32_t _ZmGetNoOfDevices(void) {
    return 0;
}
ZmVendorRecord* _ZmGetVendors(void) {
    return NULL;
}
ZmDeviceRecord* _ZmGetDevices(void) {
    return NULL;
}
void _ZmGetVendorName(const char vendor[5], char name[50]) {
    (void)vendor;
    name[0] = '\0';
}
uint8_t _ZmSearchDev(const char vendor[5], const char name[25], const char package[10],
                     DeviceDescriptor* descriptor) {
    (void)vendor;
    (void)name;
    (void)package;
    (void)descriptor;
    return 0;
}
uint8_t _ZmGetBufferInfo(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                         BufferInfo buffers[4]) {
    (void)port;
    (void)libraryPath;
    (void)params;
    (void)buffers;
    return 0;
}
uint8_t _ZmInitLib(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                   OperationBlock block, const ZmDataSetStorage* storage, const void* fileEntryA,
                   void* logView) {
    (void)port;
    (void)libraryPath;
    (void)params;
    (void)block;
    (void)storage;
    (void)fileEntryA;
    (void)logView;
    return 0;
}
int32_t _ZmMakeCode(int32_t port) {
    (void)port;
    return 0;
}
void _ZmRunCode(int32_t port) {
    (void)port;
}
void _ZmProcessOps(int32_t port, uint8_t stop) {
    (void)port;
    (void)stop;
}
int32_t _ZmGetCode(int32_t port, uint8_t* buffer) {
    (void)port;
    (void)buffer;
    return 0;
}
void _ZmGetPinCheckRes(int32_t port, ZmPinCheckResult* result) {
    (void)port;
    (void)result;
}
void _ZmDeviceSetup(int32_t port, void* window) {
    (void)port;
    (void)window;
}
void _ZmFreeLib(int32_t port) {
    (void)port;
}
#ifndef FAKE_OMIT_ZmCardInserted
uint8_t _ZmCardInserted(int32_t port) {
    (void)port;
    return 0;
}
#endif
uint8_t _ZmIdentifyCard(int32_t port, uint8_t block[512]) {
    (void)port;
    (void)block;
    return 0;
}
uint8_t _ZmReadCard(int32_t port, uint32_t firstSector, uint32_t count, uint8_t* buffer) {
    (void)port;
    (void)firstSector;
    (void)count;
    (void)buffer;
    return 0;
}
uint8_t _ZmWriteCard(int32_t port, uint32_t firstSector, uint32_t count, const uint8_t* buffer) {
    (void)port;
    (void)firstSector;
    (void)count;
    (void)buffer;
    return 0;
}
#ifndef FAKE_OMIT_ZmAdapterGetSocket
uint8_t _ZmAdapterGetSocket(int32_t command, ZmSocketState* state) {
    (void)command;
    (void)state;
    return 0;
}
#endif
