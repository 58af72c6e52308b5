/* my_app: one snapshot from the first camera. */
#include <stdio.h>

#include "PixoraSdk_530TZ.h"

int main(void) {
    PIXORA_HANDLE camera = Pixora_Initialize(NULL);
    int taken = camera != NULL && Pixora_SnapShot(camera, NULL, 0, 1);
    printf("library version 0x%08x, snapshot %s\n", (unsigned)Pixora_GetDllVersion(),
           taken ? "taken" : "failed");
    if (camera != NULL)
        Pixora_Release(camera);
    return taken ? 0 : 1;
}
