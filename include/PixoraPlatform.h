/*
 * PixoraPlatform.h - platform services of the 530TZ library.
 *
 * Message windows receive the library's posted messages (PIXORA_WM_FRAME,
 * PIXORA_WM_ERROR) for applications without a window of their own: on Linux they stand in
 * for application windows; on Windows they are message-only windows, and any real window
 * may be passed instead. The PixoraSim_* functions configure and drive the virtual camera:
 * the library's camera on Linux, and on Windows when PIXORA_DRIVER=virtual is set (the
 * installed driver otherwise).
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
/* The virtual camera bus (Linux; Windows with PIXORA_DRIVER=virtual): eight slots, device paths
 * "\\.\Qvo530TZ-0" .. "\\.\Qvo530TZ-7", answering the camera's driver protocol. It is set up
 * on first use from the environment variable PIXORA_SIM, items separated by blanks or ';':
 *   cameras=0,3      slots holding a camera ("cameras=none" for none; default: 0)
 *   fps=30           frames per second when free-running, halved by the half clock;
 *                    0 delivers every frame at once (default 20; fractions allowed)
 *   scene=bars       bars (eight colour bars over a grey ramp), gradient (grey, dark at
 *                    the top left, bright at the bottom right), or moving (the bars moving
 *                    16 columns right per frame)
 *   timeout=3000     driver transfer time-out (ms) until the library sets one (default
 *                    3000; a time-out request of 0 ms also restores it)
 *   maxwait=200      upper bound (ms) of every time-out, for quick tests; 0: none
 *   fault=NAME:INDEX[:ARGUMENT]   a fault as with PixoraSim_SetFault; NAME is one of none,
 *                    absent, open, command, command-number, short-reply, short-frame, stall,
 *                    vanish. May repeat.
 * Frames carry the scene as a Bayer mosaic (green on a red row first) whose brightness
 * follows the gain (registers 6, 7) and exposure (registers 158, 159) the library wrote; the
 * first four bytes of each frame hold its sequence number 1, 2, ... (little-endian).
 * Functions taking an index accept 0..7; those marked "-1: all" also accept -1 for every
 * slot. They may be called from any thread. */

#define PIXORA_SIM_CAMERA_SLOTS 8

#define PIXORA_SIM_SCENE_BARS 0
#define PIXORA_SIM_SCENE_GRADIENT 1
#define PIXORA_SIM_SCENE_MOVING 2

/* Faults of PixoraSim_SetFault. A negative argument switches that one fault off. */
#define PIXORA_SIM_FAULT_NONE 0           /* clears every fault of the camera */
#define PIXORA_SIM_FAULT_ABSENT 1         /* unplugged while set; comes back from power-on */
#define PIXORA_SIM_FAULT_OPEN 2           /* 0: every open fails; N: the Nth open from now */
#define PIXORA_SIM_FAULT_COMMAND 3        /* 0: every command block fails; N: the Nth from now */
#define PIXORA_SIM_FAULT_COMMAND_NUMBER 4 /* every command block with number N fails */
#define PIXORA_SIM_FAULT_SHORT_REPLY 5    /* reply blocks return N bytes (0..63) */
#define PIXORA_SIM_FAULT_SHORT_FRAME 6    /* frames return N bytes, always fewer than asked */
#define PIXORA_SIM_FAULT_STALL 7          /* frame reads fail at the driver time-out */
/* VANISH: gone after N more whole frames (0: at once); switching it off plugs it in again. */
#define PIXORA_SIM_FAULT_VANISH 8

/* A camera's state as PixoraSim_GetStatus reports it. */
typedef struct PixoraSimStatus {
    int32_t size;            /* set by the caller: sizeof(PixoraSimStatus) */
    int32_t present;         /* a camera is configured in this slot */
    int32_t attached;        /* present, and neither absent nor vanished */
    int32_t openHandles;     /* driver handles open on it */
    int32_t triggerMode;     /* external trigger switched on (command 40) */
    int32_t pendingTriggers; /* pulses not yet answered with a frame */
    int32_t sampleWidth;     /* 0: 8-bit samples, 1: 10-bit samples in two bytes */
    int32_t halfClock;       /* 1: half clock */
    int32_t transferSamples; /* samples per frame transfer (command 9) */
    int32_t timeoutMs;       /* driver transfer time-out in effect */
    int32_t gain;            /* analog gain from registers 6 and 7 */
    int32_t exposure;        /* exposure from registers 158 and 159 */
    int32_t scene;           /* PIXORA_SIM_SCENE_* */
    int32_t fpsMilli;        /* frames per second times 1000 */
    int32_t faults;          /* bit (1 << PIXORA_SIM_FAULT_*) per active fault */
    int32_t framesSent;      /* whole frames delivered */
    int32_t framesShort;     /* frames cut short by the short-frame fault */
    int32_t framesFailed;    /* frame reads that timed out, were aborted or overran */
    int32_t commands;        /* command blocks carried out */
    int32_t readsWaiting;    /* frame reads waiting for their frame right now */
} PixoraSimStatus;

/* Applies settings in the PIXORA_SIM form on top of the current ones. 1 on success; 0 (and
 * nothing changed) when `settings` is null or any item is bad. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_Configure(const char* settings);

/* Returns to the start state (defaults, then PIXORA_SIM): clears faults, logs and counters,
 * restarts every camera from power-on, and ends every open driver handle, so call it while
 * no camera is streaming. Returns 1. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_Reset(void);

/* Bit N of `mask` puts a camera in slot N, a clear bit unplugs it. 1 on success; 0 when bits
 * above 7 are set. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_SetCameras(uint32_t mask);
/* The mask of slots holding a camera. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_GetCameras(void);

/* Frame rate when free-running (-1: all); 0 delivers at once. 1 on success; 0 for a bad
 * index or a rate outside 0..10000. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_SetFps(int32_t index, double fps);

/* Scene PIXORA_SIM_SCENE_* (-1: all). 1 on success, 0 for a bad index or scene. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_SetScene(int32_t index, int32_t scene);

/* One external trigger pulse: in trigger mode the next (or the waiting) frame read gets a
 * frame; pulses not yet answered are kept, up to 16. 1 when a camera is attached at
 * `index` (whatever its mode), else 0. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_Trigger(int32_t index);

/* Switches fault PIXORA_SIM_FAULT_* on with `argument`, or off with a negative argument
 * (-1: all cameras). 1 on success; 0 for a bad index, fault or argument. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_SetFault(int32_t index, int32_t fault, int32_t argument);

/* Whole frames the camera delivered since the last reset; -1 for a bad index. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_FramesSent(int32_t index);

/* Command blocks with number `command` (-1: any) that the camera carried out since the
 * last reset or PixoraSim_ClearLog; -1 for a bad index or command number. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_CommandsReceived(int32_t index, int32_t command);

/* The camera's own register file: the last value it latched for `address` (0 at power-on),
 * or -1 for a bad index or an address that is no register (192..255, beyond 1023). */
PIXORA_API int32_t PIXORA_CALL PixoraSim_ReadRegister(int32_t index, int32_t address);

/* Fills *status. 1 on success; 0 for a bad index, a null `status` or a size field smaller
 * than sizeof(PixoraSimStatus). */
PIXORA_API int32_t PIXORA_CALL PixoraSim_GetStatus(int32_t index, PixoraSimStatus* status);

/* Forgets the requests logged so far and the counts of PixoraSim_CommandsReceived
 * (-1: all cameras). 1 on success, 0 for a bad index. */
PIXORA_API int32_t PIXORA_CALL PixoraSim_ClearLog(int32_t index);

#ifdef __cplusplus
}
#endif

#endif /* PIXORA_PLATFORM_H */
