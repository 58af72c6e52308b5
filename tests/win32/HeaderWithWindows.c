/* The public headers in a Windows program: after <windows.h>, window handles pass as HWND
 * without a cast and the exports have the WINAPI calling convention. Built with
 * -pedantic-errors, so an incompatible pointer type fails the build. */
#include <windows.h>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

typedef PIXORA_HANDLE(WINAPI* InitializeFunction)(HWND errorWindow);
typedef int32_t(WINAPI* SetPreviewWindowFunction)(PIXORA_HANDLE camera, HWND parent, int32_t x,
                                                  int32_t y, int32_t width, int32_t height);

int main(void) {
    InitializeFunction initialize = Pixora_Initialize;
    SetPreviewWindowFunction setPreviewWindow = Pixora_SetPreviewWindow;
    HWND desktop = GetDesktopWindow();
    PIXORA_HWND asLibraryWindow = desktop;
    HWND back = PixoraMsg_CreateWindow();
    /* The exports resolve through the import library to the DLL's own functions. */
    HMODULE dll = GetModuleHandleA("PixoraSdk_530TZ.dll");
    if (dll == NULL)
        return 1;
    /* (a cast through void (*)(void) is how GCC takes a generic function pointer) */
    if ((InitializeFunction)(void (*)(void))GetProcAddress(dll, "Pixora_Initialize") != initialize)
        return 2;
    if (setPreviewWindow((PIXORA_HANDLE)0, asLibraryWindow, 0, 0, 1, 1) != 0)
        return 3;
    if (back == NULL || PixoraMsg_DestroyWindow(back) != 1)
        return 4;
    return 0;
}
