/* The public headers must compile as C99 and link against the shared library. */
#include <stdio.h>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

int main(void) {
    PixoraCameraInfo info;
    PixoraFrameInfo frame;
    PixoraMessage msg;
    PixoraControlInfo control;
    PIXORA_HWND window = PixoraMsg_CreateWindow();
    int32_t ok = 1;
    info.size = (uint32_t)sizeof info;
    frame.size = (int32_t)sizeof frame;
    if (Pixora_GetDllVersion() != 0x00190502)
        return 1;
    if (Pixora_GetColorMode((PIXORA_HANDLE)0) != -1)
        return 2;
    if (Pixora_GetCameraInfo((PIXORA_HANDLE)0, &info) != 0)
        return 3;
    if (Pixora_GetBrightness((PIXORA_HANDLE)0, &ok) != 0)
        return 4;
    if (PixoraMsg_Get(window, &msg, 0) != 0)
        return 5;
    if (PixoraEx_ErrorText(PIXORA_ERR_DEVICE_NOT_FOUND)[0] == '\0')
        return 6;
    if (PixoraEx_GetFilterRange(PIXORA_FILTER_BRIGHTNESS, NULL, NULL) != 1)
        return 7;
    control.size = (int32_t)sizeof control;
    if (PixoraEx_GetControlInfo(PixoraEx_FindControl("auto-iris"), &control) != 1 ||
        control.values[PIXORA_AUTO_IRIS_GAIN].value != PIXORA_AUTO_IRIS_GAIN)
        return 8;
    PixoraMsg_DestroyWindow(window);
    printf("%u %d\n", (unsigned)info.size, (int)frame.size);
    return 0;
}
