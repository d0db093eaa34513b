/* The optional remote-control library (libRemoteCtrl.so in the application directory): four
 * plain C functions through which an external line controller decides when each programmer
 * starts and learns how each operation ended.
 *
 * - "Init" and "Free" are called on the main thread when remote-control mode is switched on
 *   and off.
 * - "CheckStatus" is called on the main thread on every polling tick for every idle
 *   programmer: with the gang slot in gang mode, with the programmer index in single mode.
 *   A nonzero result starts an operation on that slot now.
 * - "Result" is called on the operation thread after each Run or single operation while
 *   remote-control mode is on, possibly from several threads at once in gang mode. The status
 *   is the operation's final status: 0 success, 0x100 pin-check result, 0x800 cancelled,
 *   anything else a failure.
 *
 * The calls exchange no records and no text; any text a library keeps for itself is UTF-16
 * (char16_t) when it crosses this interface. */
#ifndef ZELMO_REMOTE_API_H
#define ZELMO_REMOTE_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* File name of the library in the application directory. */
#define ZELMO_REMOTE_LIBRARY_FILE "libRemoteCtrl.so"

/* Operation status values the application hands to "Result". */
enum {
    ZELMO_RC_STATUS_SUCCESS = 0,
    ZELMO_RC_STATUS_PIN_CHECK = 0x100,
    ZELMO_RC_STATUS_CANCELLED = 0x800
};

/* Each function type once: the library implements the functions declared from it, and the
 * binder resolves them into pointers to it. */
typedef void RemoteInit_ft(void);
typedef void RemoteFree_ft(void);
typedef int32_t RemoteCheckStatus_ft(int32_t slot);
typedef void RemoteResult_ft(int32_t slot, int32_t status);

/* Implemented by the library. */
RemoteInit_ft Init;
RemoteFree_ft Free;
RemoteCheckStatus_ft CheckStatus;
RemoteResult_ft Result;

typedef RemoteInit_ft* RemoteInitFn;
typedef RemoteFree_ft* RemoteFreeFn;
typedef RemoteCheckStatus_ft* RemoteCheckStatusFn;
typedef RemoteResult_ft* RemoteResultFn;

/* X(exported name, function type, member name): every entry point, all of them required. */
#define ZELMO_REMOTE_ENTRY_POINTS(X)                                                               \
    X(Init, RemoteInitFn, init)                                                                    \
    X(Free, RemoteFreeFn, free)                                                                    \
    X(CheckStatus, RemoteCheckStatusFn, checkStatus)                                               \
    X(Result, RemoteResultFn, result)

#ifdef __cplusplus
}
#endif

#endif
