/* The frame-reading loop of docs/messages.md. It gets `camera` streaming 24-bit frames at two
 * frames a second, `buffer` and `size` for them, and `running`, cleared after three seconds
 * as a Ctrl-C handler would. It must have handled each frame it was sent at most once: a loop
 * that takes a time-out for a frame counts one every 100 ms. */
#define _POSIX_C_SOURCE 200809L

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

/* ThreadSanitizer's annotation, present only in its builds. The library's worker writes the
 * caller's buffer at every frame and the loop reads it after the frame's message; nothing
 * orders the loop's read of one frame before the worker's write of the next (the interface
 * has no acknowledgement). That is the hazard the page describes and the loop meets by copying
 * at once, so the harness declares the buffer's races expected. */
void AnnotateBenignRaceSized(const char* file, int line, const volatile void* address,
                             unsigned long size, const char* description) __attribute__((weak));

static volatile sig_atomic_t running = 1;

static void Stop(int signalNumber) {
    (void)signalNumber;
    running = 0;
}

int main(void) {
    if (!PixoraSim_Configure("fps=2"))
        return 1;
    PIXORA_HANDLE camera = Pixora_Initialize(NULL);
    if (camera == NULL || !Pixora_SetColorMode(camera, 24)) {
        fprintf(stderr, "frame loop: no camera\n");
        return 1;
    }
    int32_t size = ((Pixora_Width(camera) * 3 + 3) & ~3) * Pixora_Height(camera);
    unsigned char* buffer = malloc((size_t)size);
    if (buffer == NULL)
        return 1;
    if (AnnotateBenignRaceSized != NULL)
        AnnotateBenignRaceSized(__FILE__, __LINE__, buffer, (unsigned long)size, "frame buffer");
    signal(SIGALRM, Stop);
    alarm(3);

    /* @block@ */

    int32_t sent = PixoraSim_FramesSent(0);
    Pixora_Release(camera);
    free(buffer);
    if (frames < 1 || frames > sent) {
        fprintf(stderr, "frame loop: %d frames handled, %d sent by the camera\n", frames,
                (int)sent);
        return 1;
    }
    return 0;
}
