/*
 * PixoraPlatform.h - Linux-side services of the 530TZ library.
 *
 * Message windows stand in for the application windows that receive the library's
 * posted messages (PIXORA_WM_FRAME, PIXORA_WM_ERROR). The PixoraSim_* functions
 * configure and drive the virtual camera that the library talks to on Linux.
 */
#ifndef PIXORA_PLATFORM_H
#define PIXORA_PLATFORM_H

#include <stdint.h>

#include "PixoraSdk_530TZ.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One posted message. */
typedef struct PixoraMessage {
    PIXORA_HWND window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
} PixoraMessage;

/* Creates a message window: a thread-safe queue that the library can post to.
 * Returns null when it cannot be created. */
PIXORA_API PIXORA_HWND PIXORA_CALL PixoraMsg_CreateWindow(void);

/* Ends a message window; later posts to it are dropped. 1 on success, 0 when `window`
 * is not a live message window. Readers blocked in PixoraMsg_Get return -1. */
PIXORA_API int32_t PIXORA_CALL PixoraMsg_DestroyWindow(PIXORA_HWND window);

/* Takes the oldest message of `window`, waiting up to timeoutMs milliseconds
 * (-1: wait forever, 0: do not wait). 1: a message was stored in *out; 0: time-out;
 * -1: `window` is not a live message window or `out` is null. */
PIXORA_API int32_t PIXORA_CALL PixoraMsg_Get(PIXORA_HWND window, PixoraMessage* out,
                                             int32_t timeoutMs);

/* Number of messages waiting in `window`, or -1 when it is not a live message window. */
PIXORA_API int32_t PIXORA_CALL PixoraMsg_Pending(PIXORA_HWND window);

/* Posts a message to a message window, as the library does; 1 when it was queued. */
PIXORA_API int32_t PIXORA_CALL PixoraMsg_Post(PIXORA_HWND window, uint32_t message,
                                              uintptr_t wParam, intptr_t lParam);

/* --- Virtual camera ----------------------------------------------------------------- */
/* PIXORA_SIM_DECLARATIONS */

#ifdef __cplusplus
}
#endif

#endif /* PIXORA_PLATFORM_H */
