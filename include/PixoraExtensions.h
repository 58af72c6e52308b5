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

#ifdef __cplusplus
}
#endif

#endif /* PIXORA_EXTENSIONS_H */
