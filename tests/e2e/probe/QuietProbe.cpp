// Takes the library down the paths on which it used to print: a PIXORA_SIM it ignores, a
// settings path that is a folder, a settings file larger than 16 MiB, a save that fails.
// QuietLibraryTest runs it with its standard streams captured; it prints nothing itself.
// Usage: quiet_probe quiet|logged LARGE_SETTINGS_FILE
//   quiet:  no log handler; exit 0 once every path was taken.
//   logged: with a log handler; exit 0 when it received the three warnings, 2 otherwise.
// The environment gives PIXORA_SIM and PIXORA_REGISTRY (the folder).
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PixoraExtensions.h"
#include "PixoraSdk_530TZ.h"

namespace {

void Keep(int32_t level, const char* text, void* context) {
    if (level == PIXORA_LOG_WARNING)
        static_cast<std::vector<std::string>*>(context)->push_back(text);
}

bool Heard(const std::vector<std::string>& warnings, const char* part) {
    for (const std::string& warning : warnings) {
        if (warning.find(part) != std::string::npos)
            return true;
    }
    return false;
}

void UseOneCamera() {
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    Pixora_SetColorMode(camera, 24);
    Pixora_SnapShot(camera, nullptr, 0, 1);
    Pixora_SaveImage(camera, "/no/such/folder/a.png", PIXORA_SAVE_PNG);
    Pixora_SetBrightness(camera, 10);
    Pixora_Release(camera);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 64;
    const bool logged = std::strcmp(argv[1], "logged") == 0;
    std::vector<std::string> warnings;
    if (logged)
        PixoraEx_SetLogHandler(Keep, &warnings);
    UseOneCamera();
    setenv("PIXORA_REGISTRY", argv[2], 1);
    UseOneCamera();
    PixoraEx_SetLogHandler(nullptr, nullptr);
    if (!logged)
        return 0;
    const bool all = Heard(warnings, "PIXORA_SIM ignored") &&
                     Heard(warnings, "is not a regular file") &&
                     Heard(warnings, "is larger than 16 MiB");
    return all ? 0 : 2;
}
