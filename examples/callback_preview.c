/*
 * callback_preview: opens the camera, streams into memory for one second from the first
 * frame on, reading each frame's message, then saves the last frame as a PNG file.
 *
 *   callback_preview [FILE.png]
 *
 * Build against an installed library (with PKG_CONFIG_PATH naming its lib/pkgconfig folder
 * when it is not installed under /usr); the run path lets the program find the library:
 *   cc callback_preview.c $(pkg-config --cflags --libs PixoraSdk_530TZ) \
 *       -Wl,-rpath,"$(pkg-config --variable=libdir PixoraSdk_530TZ)" -o callback_preview
 * or with CMake through find_package(PixoraSdk_530TZ) (see CMakeLists.txt here).
 */
#define _POSIX_C_SOURCE 199309L

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

static double Now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

static int Fail(PIXORA_HANDLE camera, const char* what) {
    int32_t code = Pixora_GetLastError(camera);
    fprintf(stderr, "callback_preview: %s failed (error %d)\n", what, (int)code);
    return 1;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "callback_preview.png";
    PIXORA_HANDLE camera = Pixora_Initialize(NULL);
    PIXORA_HWND window = PixoraMsg_CreateWindow();
    PixoraMessage message;
    unsigned char* buffer;
    int32_t stride, size;
    int frames = 0, failed = 0, status = 0;
    double end;

    if (camera == NULL || window == NULL) {
        fprintf(stderr, "callback_preview: cannot open the camera\n");
        return 1;
    }
    if (!Pixora_SetColorMode(camera, 24))
        return Fail(camera, "setting 24 bits per pixel");

    /* Whole rows of the image, each padded to a multiple of 4 bytes. */
    stride = (Pixora_Width(camera) * 3 + 3) & ~3;
    size = stride * Pixora_Height(camera);
    buffer = malloc((size_t)size);
    if (buffer == NULL)
        return 1;

    if (!Pixora_CallBackPreview(camera, window, buffer, size, 1)) {
        free(buffer);
        return Fail(camera, "starting the callback preview");
    }
    /* One second of frames from the first one on; a slow machine gets 10 s for that. */
    end = Now() + 10.0;
    while (Now() < end) {
        if (PixoraMsg_Get(window, &message, 100) != 1 || message.message != PIXORA_WM_FRAME)
            continue;
        if (message.wParam != 0) {
            const PixoraFrameInfo* info = (const PixoraFrameInfo*)message.wParam;
            if (frames++ == 0) {
                end = Now() + 1.0;
                printf("first frame: %d x %d, %d bits per pixel\n", (int)info->width,
                       (int)info->height, (int)info->bitsPerPixel);
            }
        } else {
            ++failed;
            fprintf(stderr, "frame failed with error %d\n", (int)message.lParam);
        }
    }
    Pixora_StopPreview(camera);
    printf("%d frames, %d failed\n", frames, failed);

    if (!Pixora_SaveImage(camera, path, PIXORA_SAVE_PNG)) {
        status = Fail(camera, "saving the PNG file");
    } else {
        printf("saved %s\n", path);
    }
    if (frames == 0)
        status = 1;

    Pixora_Release(camera);
    PixoraMsg_DestroyWindow(window);
    free(buffer);
    return status;
}
