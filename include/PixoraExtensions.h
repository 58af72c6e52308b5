/*
 * PixoraExtensions.h - extensions of the 530TZ library beyond the camera functions of
 * PixoraSdk_530TZ.h, for applications and bindings that want more than a return value:
 * readable error texts and the reason behind a failed call, a log for what no call can
 * return, the camera's controls with their names, ranges and descriptions, the ranges of
 * the filter values, the save formats, what the library knows of each frame (its number,
 * time and the frames missed before it), a frame queue that hands over every frame in its
 * own buffer, with the settings it was taken with, and the camera on USB (the devices that
 * could be it, its configuration, its udev rule).
 * The camera functions and their records keep their behaviour and sizes; everything here
 * is additional.
 */
#ifndef PIXORA_EXTENSIONS_H
#define PIXORA_EXTENSIONS_H

#include <stddef.h>
#include <stdint.h>

#include "PixoraSdk_530TZ.h"

#ifdef __cplusplus
extern "C" {
#endif

/* --- Errors --------------------------------------------------------------------------- */

/* A short English description of an error code popped by Pixora_GetLastError, for example
 * "device not found: no camera at the chosen index"; "no error" for 0 and "unknown error"
 * for codes the library never records. Never null; the text is static. */
PIXORA_API const char* PIXORA_CALL PixoraEx_ErrorText(int32_t code);

/* The reason the system gave for the last failure of `camera` that had one, for example
 * "cannot create 'out/a.png': No such file or directory" after a failed Pixora_SaveImage.
 * Copies it, cut to size - 1 bytes, into `text` with a terminating zero and returns 1;
 * returns 0 (and writes an empty string when it can) when there is none, for an unknown
 * handle, a null `text` or a size below 1. Each Pixora_SaveImage clears it first. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFailureDetail(PIXORA_HANDLE camera, char* text,
                                                         int32_t size);

/* --- Log ------------------------------------------------------------------------------ */

/* The library never writes to the process's standard output or error streams, nor lets
 * the libraries it uses write there. What it has to say that no call can return (a settings
 * file it will not read or rewrite, an image library's or the dialog toolkit's warning, a
 * PIXORA_SIM it ignores) goes to a log handler that the application installs, or nowhere.
 * A warning that belongs to a failed call is also in that call's failure detail
 * (PixoraEx_GetFailureDetail). */
#define PIXORA_LOG_ERROR 1
#define PIXORA_LOG_WARNING 2
#define PIXORA_LOG_INFO 3
#define PIXORA_LOG_DEBUG 4

/* `level` is one of PIXORA_LOG_*; `text` is one message in UTF-8 without a line end, valid
 * only during the call; `context` is what was given with the handler. */
typedef void(PIXORA_CALL* PixoraLogHandler)(int32_t level, const char* text, void* context);

/* Installs `handler` for the whole process; null removes it (messages are then dropped,
 * which is also how the library starts). May be called from any thread at any time.
 *
 * Threads: the handler is called on the thread that met the condition - an application
 * thread inside one of the library's functions, a camera's capture worker, or the thread
 * an open dialog runs on - but never by two threads at once. Once PixoraEx_SetLogHandler
 * returns, the previous handler is not running and is never called again, so its context
 * may be freed. The handler must return promptly and must not call the library's
 * functions: a message the library would log from inside the handler is dropped, and
 * PixoraEx_SetLogHandler called from inside it changes nothing and returns 0. Returns 1
 * otherwise. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_SetLogHandler(PixoraLogHandler handler, void* context);

/* --- Settings ------------------------------------------------------------------------- */

/* The values Pixora_SetFilterValue accepts for `filterIndex` (a PIXORA_FILTER_* index, the
 * same ranges as the 54 named setters): stores the smallest in `*minimum` and the largest in
 * `*maximum` (either may be null) and returns 1. Indices whose every value is accepted
 * (6, the packed Bayer gains, and 10, the white-balance request) report INT32_MIN and
 * INT32_MAX. Returns 0, storing 0 in both, for an unknown index and for the colour gains
 * 14..17, which this camera always refuses. Needs no camera handle. The exposure (18)
 * reports 0..1067, what the library accepts; the camera keeps 8..1068 of it, as
 * Pixora_GetCameraInfo reports. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFilterRange(int32_t filterIndex, int32_t* minimum,
                                                       int32_t* maximum);

/* --- Controls --------------------------------------------------------------------------- */

/* Every setting of the camera that applications set, described by the library at run time,
 * so that a program can list them, check a value and set it by name without knowing which
 * function stands behind it: the 27 filter indices, the vertical mirror, the automatic
 * exposure mode, the colour mode, the wait time, the clock and the capture window. A control
 * is numbered by its id, 0 to PixoraEx_GetControlCount() - 1, in the order of the library's
 * table; a program that keeps ids between runs looks them up by name, which stays. */

#define PIXORA_CONTROL_INTEGER 1
#define PIXORA_CONTROL_BOOLEAN 2     /* 0 or 1 */
#define PIXORA_CONTROL_ENUMERATION 3 /* one of its valueCount named values */

/* Flags of a control:
 * SAVED         saved when the camera is released (the capture window: when a control
 *               changed it);
 * LOADED        read from the stored settings when the camera is opened;
 * LIVE          acts on the running capture; without it, from the next capture started;
 * REFUSED       this camera refuses it: get and set fail with error 9;
 * ANY_VALUE     a set takes every 32-bit value, as its function does: nonzero is 1 for a
 *               boolean, the packed white-balance gains ignore bits 24..31;
 * HEX           written as hexadecimal (0xBBGGRR);
 * CAMERA_CLAMPS the camera keeps cameraMinimum..cameraMaximum of what it is sent (the
 *               exposure: 8..1068);
 * SLOW_READ     a get waits for the camera (120 ms);
 * NEEDS_CAMERA  get and set fail with error 1 when the handle's camera device could not
 *               be made;
 * WINDOW        one of the four capture window values, checked together when a capture
 *               starts (error 7 when the window leaves the sensor). */
#define PIXORA_CONTROL_SAVED 0x1
#define PIXORA_CONTROL_LOADED 0x2
#define PIXORA_CONTROL_LIVE 0x4
#define PIXORA_CONTROL_REFUSED 0x8
#define PIXORA_CONTROL_ANY_VALUE 0x10
#define PIXORA_CONTROL_HEX 0x20
#define PIXORA_CONTROL_CAMERA_CLAMPS 0x40
#define PIXORA_CONTROL_SLOW_READ 0x80
#define PIXORA_CONTROL_NEEDS_CAMERA 0x100
#define PIXORA_CONTROL_WINDOW 0x200

/* The property dialog that shows a control. */
#define PIXORA_DIALOG_NONE 0
#define PIXORA_DIALOG_CAMERA 1 /* Pixora_SetCameraDlg */
#define PIXORA_DIALOG_IMAGE 2  /* Pixora_SetImageDlg */
#define PIXORA_DIALOG_ANALOG 3 /* Pixora_SetAnalogDlg */

/* One named value of an enumeration. */
typedef struct PixoraControlValue {
    int32_t value;
    int32_t reserved;
    const char* name;  /* "exposure": lower case, words joined by '-' */
    const char* label; /* "Automatic exposure": for people */
} PixoraControlValue;

/* What the library knows of a control. Every text is static UTF-8 (ASCII today), never
 * null, and stays valid while the library is loaded. */
typedef struct PixoraControlInfo {
    int32_t size; /* set by the caller: sizeof(PixoraControlInfo) */
    int32_t id;
    int32_t kind;    /* PIXORA_CONTROL_INTEGER, _BOOLEAN or _ENUMERATION */
    int32_t flags;   /* PIXORA_CONTROL_SAVED, ... */
    int32_t minimum; /* the values it takes (an enumeration: the smallest and largest of */
    int32_t maximum; /* its values); see PIXORA_CONTROL_ANY_VALUE */
    int32_t step;
    int32_t defaultValue;  /* a first run's value, and what the dialogs' Default restores */
    int32_t cameraMinimum; /* what the camera keeps of it: minimum..maximum but for */
    int32_t cameraMaximum; /* PIXORA_CONTROL_CAMERA_CLAMPS */
    int32_t filterIndex;   /* the PIXORA_FILTER_* index it is, or 0 */
    int32_t dialog;        /* PIXORA_DIALOG_* of the dialog that shows it */
    int32_t valueCount;    /* an enumeration's number of values; else 0 */
    int32_t reserved;
    const char* name;           /* "gamma", "bayer-gain-red": lower case, words joined by '-' */
    const char* label;          /* "Gamma": a few words for people */
    const char* description;    /* one line */
    const char* unit;           /* "degrees", "percent", "1/128", "ms", "pixels", or "" */
    const char* const* aliases; /* other names PixoraEx_FindControl takes, ended by null */
    const char* storedName;     /* where it is kept below the settings key: "Filter\\Gamma",
                                 * "Size_NN\\EH" (the size entry "Size" names), "Color"; "" */
    const PixoraControlValue* values; /* an enumeration's valueCount values; else null */
} PixoraControlInfo;

#if defined(__cplusplus)
static_assert(sizeof(PixoraControlValue) == 8 + 2 * sizeof(void*), "PixoraControlValue");
static_assert(sizeof(PixoraControlInfo) == 56 + 7 * sizeof(void*), "PixoraControlInfo");
#else
typedef char
    PixoraControlValueSizeCheck[(sizeof(PixoraControlValue) == 8 + 2 * sizeof(void*)) ? 1 : -1];
typedef char
    PixoraControlInfoSizeCheck[(sizeof(PixoraControlInfo) == 56 + 7 * sizeof(void*)) ? 1 : -1];
#endif

/* How many controls there are. Needs no camera handle. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetControlCount(void);

/* Fills *info for control `id` and returns 1; 0 for an id outside 0..count - 1, a null
 * `info` or a size field below sizeof(PixoraControlInfo). Needs no camera handle. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetControlInfo(int32_t id, PixoraControlInfo* info);

/* The id of the control named `name` or one of its aliases ("gain" for "global-gain");
 * -1 for a name that is none and for null. Needs no camera handle. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_FindControl(const char* name);

/* Reads control `id` of `camera` into *value and returns 1, as the function behind it
 * reads it (the colour mode in bits per pixel, the exposure after the camera's pause).
 * 0 on failure, with that function's error code recorded: 9 for an unknown id (or a
 * refused control), 1 without the camera device. A null `value` records 9. 0 for an
 * unknown handle, recording nothing. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetControl(PIXORA_HANDLE camera, int32_t id,
                                                   int32_t* value);

/* Sets control `id` of `camera` to `value` and returns 1, as the function behind it does:
 * the same checks, error codes and effects (Pixora_SetColorMode records 9 for 12 bits,
 * Pixora_SetWaitTime refuses a negative wait without a code). A control without a function
 * of its own (the clock and the capture window) records 9 for a value outside
 * minimum..maximum. 9 for an unknown id; 0 for an unknown handle, recording nothing. The
 * capture window's four controls are checked one by one here and together when a capture
 * starts; the new window is what Pixora_Width and Pixora_Height report at once and what
 * the next capture started from idle takes, and it is saved to the stored size entry when
 * the camera is released. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_SetControl(PIXORA_HANDLE camera, int32_t id, int32_t value);

/* --- Save formats ----------------------------------------------------------------------- */

/* The file formats Pixora_SaveImage writes, described by the library at run time, so that a
 * program can offer them by name, choose one by a file's extension and tell what a depth
 * becomes in the file. A format is numbered by its index, 0 to
 * PixoraEx_GetSaveFormatCount() - 1; its code (PIXORA_SAVE_*) is what Pixora_SaveImage
 * takes. */

/* One image depth a format takes and what is written for it. */
typedef struct PixoraSaveDepth {
    int32_t bitsPerPixel;     /* the image's: the colour mode's 8, 16, 24, 32, 48 or 64 */
    int32_t fileBitsPerPixel; /* the samples of one pixel in the file */
    const char* conversion;   /* what changes on the way ("10-bit gray reduced to 8 bits"),
                               * or "" when the samples are written as they are */
} PixoraSaveDepth;

/* What the library knows of a save format. Every text is static UTF-8 (ASCII today), never
 * null, and stays valid while the library is loaded. */
typedef struct PixoraSaveFormatInfo {
    int32_t size;            /* set by the caller: sizeof(PixoraSaveFormatInfo) */
    int32_t code;            /* PIXORA_SAVE_*: the format argument of Pixora_SaveImage */
    int32_t quality;         /* a JPEG's quality (100, 70, 20); 0 for the other formats */
    int32_t depthCount;      /* the entries of depths */
    const char* name;        /* "bmp", "jpeg70": lower case, as a command line takes it */
    const char* label;       /* "JPEG, quality 70": for people */
    const char* description; /* one line */
    /* File extensions, lower case with the dot, ended by null (".jpg", ".jpeg"); the first
     * names new files. An extension chooses the first format, in index order, that lists
     * it: ".jpg" is quality 100. */
    const char* const* extensions;
    const PixoraSaveDepth* depths; /* the depths it takes, depthCount of them */
} PixoraSaveFormatInfo;

#if defined(__cplusplus)
static_assert(sizeof(PixoraSaveDepth) == 8 + sizeof(void*), "PixoraSaveDepth");
static_assert(sizeof(PixoraSaveFormatInfo) == 16 + 5 * sizeof(void*), "PixoraSaveFormatInfo");
#else
typedef char PixoraSaveDepthSizeCheck[(sizeof(PixoraSaveDepth) == 8 + sizeof(void*)) ? 1 : -1];
typedef char PixoraSaveFormatInfoSizeCheck[(sizeof(PixoraSaveFormatInfo) == 16 + 5 * sizeof(void*))
                                               ? 1
                                               : -1];
#endif

/* How many save formats there are. Needs no camera handle. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetSaveFormatCount(void);

/* Fills *info for format `index` and returns 1; 0 for an index outside 0..count - 1, a
 * null `info` or a size field below sizeof(PixoraSaveFormatInfo). Needs no camera handle. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetSaveFormatInfo(int32_t index,
                                                          PixoraSaveFormatInfo* info);

/* --- Frames ----------------------------------------------------------------------------- */

/* What the library knows of one delivered frame. `sequence` numbers the frames the camera
 * sent to this camera handle, 1 for the first, whichever capture read them; a gap between
 * two frames an application received means frames that were skipped for a newer one (the
 * preview keeps only the newest frame), lost in transfer, or could not be delivered.
 * `timestampUs` is when the frame's transfer ended, in microseconds of the system's
 * monotonic clock (CLOCK_MONOTONIC on Linux, the performance counter on Windows), so that
 * it compares with the application's own reading of that clock. `dropped` is the number of
 * frames the camera sent after the previous delivered frame and before this one that were
 * not delivered. */
typedef struct PixoraFrameMeta {
    int32_t size; /* set by the caller: sizeof(PixoraFrameMeta), 24 */
    int32_t dropped;
    uint64_t sequence;
    uint64_t timestampUs;
} PixoraFrameMeta;

/* Every frame the camera sent to a handle ends up in one of these counts. */
typedef struct PixoraFrameCounts {
    int32_t size; /* set by the caller: sizeof(PixoraFrameCounts), 32 */
    int32_t reserved;
    uint64_t delivered; /* announced, copied to the caller, kept for Pixora_GetImage, or
                           taken from a frame queue */
    uint64_t dropped;   /* whole, but a newer frame was taken instead, a frame queue had no
                           room for it, or a stop left it */
    uint64_t failed;    /* lost in transfer, or not convertible or copyable */
} PixoraFrameCounts;

#if defined(__cplusplus)
static_assert(sizeof(PixoraFrameMeta) == 24, "PixoraFrameMeta is 24 bytes");
static_assert(sizeof(PixoraFrameCounts) == 32, "PixoraFrameCounts is 32 bytes");
#else
typedef char PixoraFrameMetaSizeCheck[(sizeof(PixoraFrameMeta) == 24) ? 1 : -1];
typedef char PixoraFrameCountsSizeCheck[(sizeof(PixoraFrameCounts) == 32) ? 1 : -1];
#endif

/* The meta of the frame whose PIXORA_WM_FRAME message carried `frame` (its wParam). 1 and
 * *meta filled; 0 when `frame` is no frame record of the library, `meta` is null or its
 * size field is below sizeof(PixoraFrameMeta). Records stay readable after Pixora_Release;
 * each is reused 64 frames later, as PixoraFrameInfo is. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFrameMeta(const PixoraFrameInfo* frame,
                                                     PixoraFrameMeta* meta);

/* The newest frame the camera has processed, as Pixora_GetImage copies it (whole rows at
 * the stride, `rowOrder` as there), together with that frame's meta: never a picture torn
 * between two frames, and the meta is the picture's own. A null buffer with size 0 gives
 * the meta alone. 1, or 0 with the error codes of Pixora_GetImage (5 also when no frame has
 * been processed since the images were prepared); `meta` may be null. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFrame(PIXORA_HANDLE camera, void* buffer, int32_t size,
                                                 int32_t rowOrder, PixoraFrameMeta* meta);

/* Waits up to timeoutMs milliseconds (-1: without limit) for a frame newer than
 * `afterSequence` (0: any frame) to be processed by the running capture. 1 when there is
 * one (at once if there already is), 0 at the time-out or when the capture stops or is
 * paused meanwhile (at once after a free-running stream failed, until a capture starts
 * again), -1 for an unknown handle or when the handle is released meanwhile. A handle on
 * which no capture runs waits out its time-out like any other (0), unless a capture starts
 * and delivers meanwhile. A time-out below -1 is refused: 0 at once, without waiting.
 * It holds nothing of the camera while it waits: other threads' calls, Pixora_StopPreview
 * and Pixora_Release among them, go on. Records no error. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_WaitFrame(PIXORA_HANDLE camera, uint64_t afterSequence,
                                                  int32_t timeoutMs);

/* The handle's frame counts so far. 1, or 0 for an unknown handle, a null `counts` or a
 * size field below sizeof(PixoraFrameCounts) (nothing recorded). delivered + dropped +
 * failed is every frame the camera sent, once no capture runs. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFrameCounts(PIXORA_HANDLE camera,
                                                       PixoraFrameCounts* counts);

/* External trigger mode as Pixora_Trigger starts it, without a preview window, a buffer or
 * frame messages, as Pixora_StartPreview is to Pixora_Preview: each pulse's frame is
 * processed for PixoraEx_WaitFrame and PixoraEx_GetFrame. 1, or 0 with the codes of
 * Pixora_Trigger but 4; refused without a code in preview or capture state, as
 * Pixora_Trigger is. Pixora_StopPreview ends it (a pending wait for a pulse at once). */
PIXORA_API int32_t PIXORA_CALL PixoraEx_StartTrigger(PIXORA_HANDLE camera);

/* The capture state: 0 idle, 1 preview, 2 capture (prepared for snapshots), 3 trigger;
 * -1 for an unknown handle. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetCaptureState(PIXORA_HANDLE camera);

/* --- Cameras on USB ---------------------------------------------------------------------- */

/* An endpoint of a USB interface: `address` with bit 7 set for IN, `type` as the
 * descriptor says (0 control, 1 isochronous, 2 bulk, 3 interrupt), `maxPacket` in bytes. */
typedef struct PixoraUsbEndpoint {
    uint8_t address;
    uint8_t type;
    uint16_t maxPacket;
} PixoraUsbEndpoint;

#define PIXORA_USB_MAX_ENDPOINTS 16

/* An attached USB device with a vendor-specific interface whose endpoints could serve the
 * camera's three pipes (an OUT and two IN endpoints, bulk or interrupt). */
typedef struct PixoraUsbDevice {
    int32_t size; /* set by the caller: sizeof(PixoraUsbDevice) */
    uint16_t vendor;
    uint16_t product;
    int32_t bus;
    int32_t address;
    char portPath[32]; /* the ports from the root hub down: "3", "1.4" */
    int32_t interfaceNumber;
    int32_t configured;  /* 1: its vendor:product IDs are configured */
    int32_t cameraIndex; /* its camera index 0..7 when configured, else -1 */
    int32_t endpointCount;
    PixoraUsbEndpoint endpoints[PIXORA_USB_MAX_ENDPOINTS];
} PixoraUsbDevice;

#if defined(__cplusplus)
static_assert(sizeof(PixoraUsbDevice) == 128, "PixoraUsbDevice is 128 bytes");
#else
typedef char PixoraUsbDeviceSizeCheck[(sizeof(PixoraUsbDevice) == 128) ? 1 : -1];
#endif

/* Looks at the attached USB devices (opening none) and fills up to `capacity` records of
 * `devices`, each with its size field set, in bus and port order. Returns how many there
 * are (more than `capacity` when the array is short), or -1 when they cannot be listed:
 * the reason goes to `why` (cut to whySize - 1 bytes; `why` may be null), for example
 * where the library has no USB port (Windows, or a build without libusb-1.0). */
PIXORA_API int32_t PIXORA_CALL PixoraEx_UsbListDevices(PixoraUsbDevice* devices, int32_t capacity,
                                                       char* why, int32_t whySize);

/* Configures the USB camera model `ids` ("VVVV:PPPP", hex) so that the library finds it:
 * `endpoints` (may be null) maps pipes 0, 1 and 2 to endpoint addresses ("01,82,83", OUT,IN,
 * IN); without it pipe N is the N-th endpoint of interface 0. `scope`: 0 the user's
 * configuration, 1 the system's (/etc/pixora/usb.conf, needs root), -1 the system's when
 * running as root, else the user's; PIXORA_USB_CONFIG, when set, names the one file used
 * instead. Writes the path of the file written into `result` and returns 1, or the reason
 * and returns 0 (cut to resultSize - 1 bytes; `result` may be null). */
PIXORA_API int32_t PIXORA_CALL PixoraEx_UsbUseCamera(const char* ids, const char* endpoints,
                                                     int32_t scope, char* result,
                                                     int32_t resultSize);

/* The udev rule that lets the desktop's user open the camera models `ids` (one "VVVV:PPPP",
 * or null for every configured model) without root, TAG+="uaccess", to be installed as
 * /etc/udev/rules.d/70-pixora-530tz.rules. Copies it into `rule` (cut to size - 1 bytes)
 * and returns 1; 0 for bad IDs, nothing configured, a null `rule` or a size below 1. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_UsbUdevRule(const char* ids, char* rule, int32_t size);

/* --- Frame queue ------------------------------------------------------------------------ */

/* A stream into N buffers that the library allocates once, for applications that must not
 * miss frames (machine vision, measurement) and for bindings that hand frames on without
 * copying them. The camera's worker fills a free buffer as soon as a frame's transfer ends
 * (it waits for the camera, it does not poll: the wait time does not apply) and queues it;
 * PixoraEx_TakeFrame hands the oldest queued frame over, and the application gives the
 * buffer back with PixoraEx_ReturnFrame when it is done with it, on any thread, in any
 * order. A buffer is never rewritten while the application holds it. While a buffer is free
 * no frame is lost; when every buffer is held or queued, the frame that arrives or the
 * oldest queued one is dropped, as the stream was opened, and counted.
 *
 * The stream is a capture of its own beside the preview, the trigger and the snapshots:
 * PixoraEx_GetCaptureState reports 1 (free-running) or 3 (triggered) while it is open, and
 * the capture functions refuse to start over it (0, no error recorded) as they refuse over
 * each other. Pixora_StopPreview, Pixora_Close and Pixora_Release end it as
 * PixoraEx_CloseStream does, and so do Pixora_SetDeviceNumber and the camera dialog (which
 * do not start it again). Its frames go to PixoraEx_TakeFrame only: Pixora_GetImage,
 * Pixora_SaveImage and PixoraEx_GetFrame find no frame while it runs (as after any
 * preparation: error 5, and Pixora_SaveImage error 1), and PixoraEx_WaitFrame returns 0 at
 * once. No frame message is posted. */

#define PIXORA_STREAM_DEFAULT_BUFFERS 4
#define PIXORA_STREAM_MAX_BUFFERS 64

/* dropPolicy: which frame is dropped when every buffer is held or queued. */
#define PIXORA_DROP_NEWEST 0 /* the frame that arrives (the queue keeps the oldest) */
#define PIXORA_DROP_OLDEST 1 /* the oldest queued frame, whose buffer takes the new one */

/* The colour pattern of a raw mosaic: the colours of its first two rows' first two samples
 * (GRBG: green, red on the top row; blue, green below). */
#define PIXORA_BAYER_NONE 0 /* not a mosaic: a processed frame */
#define PIXORA_BAYER_RGGB 1
#define PIXORA_BAYER_GRBG 2
#define PIXORA_BAYER_GBRG 3
#define PIXORA_BAYER_BGGR 4

typedef struct PixoraStreamOptions {
    int32_t size;        /* set by the caller: sizeof(PixoraStreamOptions), 32 */
    int32_t buffers;     /* 1..PIXORA_STREAM_MAX_BUFFERS; 0: PIXORA_STREAM_DEFAULT_BUFFERS */
    int32_t triggered;   /* 0: free-running; 1: one frame per external trigger pulse */
    int32_t raw;         /* 0: the colour mode's processed picture; 1: the raw mosaic */
    int32_t dropPolicy;  /* PIXORA_DROP_NEWEST or PIXORA_DROP_OLDEST */
    int32_t reserved[3]; /* 0 */
} PixoraStreamOptions;

/* What the library knows of a frame of the queue. */
typedef struct PixoraStreamMeta {
    uint64_t sequence;    /* the camera's frame number, as in PixoraFrameMeta */
    uint64_t timestampUs; /* end of its transfer, monotonic clock, as in PixoraFrameMeta */
    int32_t dropped;      /* frames the camera sent since the previous frame taken (or the
                             stream's start) that were not taken: dropped or lost */
    int32_t triggered;    /* 1 in a triggered stream */
    int32_t colorMode;    /* the stream's colour mode: 8, 16, 24, 32, 48 or 64 */
    int32_t raw;          /* 1: the raw mosaic, 0: the processed picture */
    int32_t bayerPattern; /* PIXORA_BAYER_* of a raw frame; PIXORA_BAYER_NONE otherwise */
    int32_t exposure;     /* the exposure the camera took it with (registers 158, 159) */
    int32_t analogGain;   /* the analog gain it took it with (registers 6, 7) */
    /* The white-balance gains in percent (100: unity) the colour step applied; for frames
     * no colour step made (raw, 16-bit, and 8-bit but in the grayscale gray mode) the gains
     * stored when the frame was processed. */
    int32_t whiteBalanceRed;
    int32_t whiteBalanceGreen;
    int32_t whiteBalanceBlue;
} PixoraStreamMeta;

/* One frame taken from the queue. The pixels are the library's buffer: rows top first,
 * `stride` bytes apart, `bytes` = stride * height, the first byte aligned to 64 bytes. The
 * layout is that of the colour mode (PixoraSdk_530TZ.h: 24-bit B, G, R bytes; 16/48/64-bit
 * little-endian words 0..1023), or for a raw frame the mosaic as the camera sent it: one
 * byte per sample in colour modes 8, 24 and 32, one word 0..1023 per sample in 16, 48 and
 * 64, not mirrored and untouched by the picture settings. The stride is the width's bytes
 * rounded up to 4, as Pixora_GetImage's rows. Valid until PixoraEx_ReturnFrame, also after
 * the stream ended or the camera was released. */
typedef struct PixoraStreamFrame {
    int32_t size;         /* set by the caller: sizeof(PixoraStreamFrame), 104 */
    int32_t bitsPerPixel; /* of the pixels: the colour mode's; a raw frame's 8 or 16 */
    int32_t width;
    int32_t height;
    int32_t stride;
    int32_t reserved;
    union {
        void* data;       /* the first byte of the top row */
        uint64_t padding; /* the same size for 32- and 64-bit programs */
    } pixels;
    uint64_t bytes;
    uint64_t lease; /* the library's: names the buffer for PixoraEx_ReturnFrame */
    PixoraStreamMeta meta;
} PixoraStreamFrame;

/* A stream's state (PixoraEx_GetStreamStatus). */
#define PIXORA_STREAM_NONE 0    /* none open */
#define PIXORA_STREAM_RUNNING 1 /* open, frames coming */
#define PIXORA_STREAM_FAILED 2  /* the camera failed: queued frames left, then the failure */

typedef struct PixoraStreamStatus {
    int32_t size;  /* set by the caller: sizeof(PixoraStreamStatus), 80 */
    int32_t state; /* PIXORA_STREAM_* */
    int32_t buffers;
    int32_t queued; /* frames filled, waiting for PixoraEx_TakeFrame */
    int32_t held;   /* frames taken and not yet returned */
    int32_t triggered;
    int32_t raw;
    int32_t dropPolicy;
    int32_t colorMode;    /* 8..64 */
    int32_t bitsPerPixel; /* of each frame's pixels, as in PixoraStreamFrame */
    int32_t width;
    int32_t height;
    int32_t stride;
    int32_t bayerPattern;    /* as each frame's meta says */
    uint64_t bytes;          /* of each buffer: stride * height */
    uint64_t droppedByQueue; /* frames the queue dropped (no free buffer, or queued at a stop) */
    int32_t framesPerSecondMilli; /* measured: see below */
    int32_t reserved;
} PixoraStreamStatus;

/* Results of PixoraEx_TakeFrame. */
/* *frame holds the oldest queued frame; give it back with PixoraEx_ReturnFrame. */
#define PIXORA_TAKE_FRAME 1
/* No frame within timeoutMs; the stream goes on. */
#define PIXORA_TAKE_TIMEOUT 0
/* No stream: none was opened, or it was closed or stopped. */
#define PIXORA_TAKE_STOPPED 2
/* The camera failed (error 13; the reason by PixoraEx_GetFailureDetail). */
#define PIXORA_TAKE_FAILED 3
/* An unknown handle, or one released (also while the take waited). */
#define PIXORA_TAKE_NO_CAMERA (-1)
/* `frame` null or its size below sizeof(PixoraStreamFrame), or timeoutMs below -1. */
#define PIXORA_TAKE_BAD_RECORD (-2)

#if defined(__cplusplus)
static_assert(sizeof(PixoraStreamOptions) == 32, "PixoraStreamOptions is 32 bytes");
static_assert(sizeof(PixoraStreamMeta) == 56, "PixoraStreamMeta is 56 bytes");
static_assert(sizeof(PixoraStreamFrame) == 104, "PixoraStreamFrame is 104 bytes");
static_assert(offsetof(PixoraStreamFrame, pixels) == 24, "pixels at 24");
static_assert(offsetof(PixoraStreamFrame, meta) == 48, "meta at 48");
static_assert(sizeof(PixoraStreamStatus) == 80, "PixoraStreamStatus is 80 bytes");
#else
typedef char PixoraStreamOptionsSizeCheck[(sizeof(PixoraStreamOptions) == 32) ? 1 : -1];
typedef char PixoraStreamMetaSizeCheck[(sizeof(PixoraStreamMeta) == 56) ? 1 : -1];
typedef char PixoraStreamFrameSizeCheck[(sizeof(PixoraStreamFrame) == 104) ? 1 : -1];
typedef char PixoraStreamFramePixelsCheck[(offsetof(PixoraStreamFrame, pixels) == 24) ? 1 : -1];
typedef char PixoraStreamFrameMetaCheck[(offsetof(PixoraStreamFrame, meta) == 48) ? 1 : -1];
typedef char PixoraStreamStatusSizeCheck[(sizeof(PixoraStreamStatus) == 80) ? 1 : -1];
#endif

/* Opens a frame queue in the current colour mode, capture size and settings: prepares the
 * images and the camera as Pixora_StartPreview does, allocates the buffers (once, for the
 * stream's life), and starts the stream; a triggered stream sets the camera to external
 * trigger with the driver's 3000 ms transfer time-out, which it waits out again and again
 * (gaps between pulses may be of any length). `options` null: all defaults (4 buffers,
 * free-running, processed, PIXORA_DROP_NEWEST). 1, or 0 with the codes of
 * Pixora_StartPreview (1, 2, 3, 5, 6, 7; 5 also when the buffers cannot be had) or 9 for
 * options out of range (size below sizeof(PixoraStreamOptions), buffers, flags other than
 * 0 or 1, an unknown policy, reserved not 0). Refused, with nothing recorded, while another
 * capture (preview, trigger, capture state, another stream) runs; a stream that failed is
 * closed and replaced. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_OpenStream(PIXORA_HANDLE camera,
                                                   const PixoraStreamOptions* options);

/* Takes the oldest queued frame of the camera's stream into *frame (frame->size set by the
 * caller), waiting up to timeoutMs milliseconds for one (0: no wait; -1: without limit).
 * Results: PIXORA_TAKE_*. Frames come in the order the camera sent them. Frames filled before
 * the camera failed are all handed out before PIXORA_TAKE_FAILED. PixoraEx_CloseStream (and
 * the stop, the release, a failure) ends a waiting take at once, from any thread: the wait
 * holds nothing of the camera. Every PIXORA_TAKE_FRAME must be given back with
 * PixoraEx_ReturnFrame; until then the buffer is the application's. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_TakeFrame(PIXORA_HANDLE camera, PixoraStreamFrame* frame,
                                                  int32_t timeoutMs);

/* Gives a taken frame's buffer back to its stream (a copy of the record will do). Works
 * without the camera: after the stream ended or the camera was released too; the memory of
 * an ended stream is freed with its last buffer. 1, or 0 for a null record or one that
 * names no buffer held (returned already, or not a record of PixoraEx_TakeFrame): nothing
 * changes then. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_ReturnFrame(const PixoraStreamFrame* frame);

/* Ends the camera's stream: the worker and the camera stop, frames still queued are dropped
 * (counted), and waiting takes return PIXORA_TAKE_STOPPED. Buffers the application holds
 * stay valid until returned. 1, also when no stream was open; 0 with error 6 when the camera
 * reported an error as the stream stopped (the stream is closed all the same); -1 for an
 * unknown handle. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_CloseStream(PIXORA_HANDLE camera);

/* The state of the camera's stream and its shape: what the frames will be before the first
 * arrives (for caps and file headers). framesPerSecondMilli is the rate the camera sends at,
 * in frames per second times 1000, measured from the frame numbers and transfer-end times
 * of the last second of frames (frames dropped or lost in between count): 0 until two frames
 * arrived, and always 0 for a triggered stream, which has no rate. The camera tells no
 * nominal rate (it follows its clock, exposure and window), so none is given. 1, or 0 for an
 * unknown handle, a null record or a size below sizeof(PixoraStreamStatus); with no stream
 * open, 1 and every field 0. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetStreamStatus(PIXORA_HANDLE camera,
                                                        PixoraStreamStatus* status);

/* The colour pattern of the raw mosaic for the capture window as it is set now (the capture
 * format's start column and row): PIXORA_BAYER_GRBG for a window starting at an even column
 * and row, the full window among them; another pattern for an odd start column or row. Raw frames
 * carry it in their meta. -1 for an unknown handle. */
PIXORA_API int32_t PIXORA_CALL PixoraEx_GetBayerPattern(PIXORA_HANDLE camera);

#ifdef __cplusplus
}
#endif

#endif /* PIXORA_EXTENSIONS_H */
