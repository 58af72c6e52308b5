/*
 * PixoraExtensions.h - extensions of the 530TZ library beyond the camera functions of
 * PixoraSdk_530TZ.h, for applications and bindings that want more than a return value:
 * readable error texts and the reason behind a failed call, the camera's controls with their
 * names, ranges and descriptions, the ranges of the filter values, the save formats, and
 * what the library knows of each frame (its number, time and the frames missed before it),
 * and the camera on USB (the devices that could be it, its configuration, its udev rule).
 * The camera functions and their records keep their behaviour and sizes; everything here
 * is additional.
 */
#ifndef PIXORA_EXTENSIONS_H
#define PIXORA_EXTENSIONS_H

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
    uint64_t delivered; /* announced, copied to the caller, or kept for Pixora_GetImage */
    uint64_t dropped;   /* whole, but a newer frame was taken instead, or a stop left it */
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
 * again), -1 for an unknown handle or when the handle is released meanwhile. It
 * holds nothing of the camera while it waits: other threads' calls, Pixora_StopPreview and
 * Pixora_Release among them, go on. Records no error. */
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

#ifdef __cplusplus
}
#endif

#endif /* PIXORA_EXTENSIONS_H */
