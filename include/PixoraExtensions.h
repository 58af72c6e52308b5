/*
 * PixoraExtensions.h - extensions of the 530TZ library beyond the camera functions of
 * PixoraSdk_530TZ.h, for applications and bindings that want more than a return value:
 * readable error texts and the reason behind a failed call. The camera functions and
 * their records keep their behaviour and sizes; everything here is additional.
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

#ifdef __cplusplus
}
#endif

#endif /* PIXORA_EXTENSIONS_H */
