#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "ExportTable.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"

namespace pixora {
namespace {

using test::ExportCase;
using test::HandleExports;
using test::ScopedRegistry;

// The functions a public header declares whose names start with `prefix`.
std::set<std::string> HeaderDeclarations(const char* header = "PixoraSdk_530TZ.h",
                                         const std::string& prefix = "Pixora_") {
    std::ifstream in(std::string(PIXORA_TEST_SOURCE_DIR) + "/../include/" + header);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    std::set<std::string> names;
    const std::regex decl(R"(PIXORA_CALL\s+()" + prefix + R"(\w+)\s*\()");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), decl); it != std::sregex_iterator();
         ++it) {
        names.insert((*it)[1]);
    }
    return names;
}

std::set<std::string> LibrarySymbols() {
    std::set<std::string> names;
    const std::string command = std::string("nm -D --defined-only ") + PIXORA_LIBRARY_FILE;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name)
            names.insert(name);
    }
    pclose(pipe);
    return names;
}

TEST(ExportSurface, LibraryExportsExactlyTheHeadersFunctions) {
    const std::set<std::string> declared = HeaderDeclarations();
    EXPECT_EQ(declared.size(), 114u);
    std::set<std::string> tabled = {"Pixora_GetDllVersion", "Pixora_Initialize"};
    for (const ExportCase& c : HandleExports())
        tabled.insert(c.name);
    EXPECT_EQ(tabled, declared);

    std::set<std::string> exported;
    std::set<std::string> extensions;
    for (const std::string& name : LibrarySymbols()) {
        // Everything the library exports is ours: the camera functions, message windows,
        // the virtual camera's controls and the extensions. No internal symbol leaks.
        if (name.rfind("Pixora_", 0) == 0) {
            exported.insert(name);
        } else if (name.rfind("PixoraEx_", 0) == 0) {
            extensions.insert(name);
        } else {
            EXPECT_TRUE(name.rfind("PixoraMsg_", 0) == 0 || name.rfind("PixoraSim_", 0) == 0)
                << name;
        }
    }
    EXPECT_EQ(exported, declared);
    EXPECT_EQ(extensions, HeaderDeclarations("PixoraExtensions.h", "PixoraEx_"));
    EXPECT_FALSE(extensions.empty());
}

TEST(Forwarding, UnknownHandlesGiveTheFailureValueAndRecordNothing) {
    ScopedRegistry registry;
    PIXORA_HWND errors = PixoraMsg_CreateWindow();
    PIXORA_HANDLE live = Pixora_Initialize(errors);
    ASSERT_NE(live, nullptr);
    while (Pixora_GetLastError(live) != 0) {
    }
    PixoraMessage msg{};
    while (PixoraMsg_Get(errors, &msg, 0) == 1) {
    }

    PIXORA_HANDLE released = Pixora_Initialize(nullptr);
    ASSERT_EQ(Pixora_Release(released), 1);
    const PIXORA_HANDLE unknown[] = {nullptr, reinterpret_cast<PIXORA_HANDLE>(uintptr_t{12345}),
                                     released};
    for (PIXORA_HANDLE handle : unknown) {
        for (const ExportCase& c : HandleExports()) {
            EXPECT_EQ(c.call(handle), c.failure) << c.name;
        }
    }
    EXPECT_EQ(Pixora_GetLastError(live), 0);
    EXPECT_EQ(PixoraMsg_Get(errors, &msg, 0), 0);
    EXPECT_EQ(Pixora_Release(live), 1);
    PixoraMsg_DestroyWindow(errors);
}

TEST(Forwarding, VersionNeedsNoHandle) {
    EXPECT_EQ(Pixora_GetDllVersion(), 1639682);
}

TEST(Forwarding, ReleaseTwiceGivesOneThenZero) {
    ScopedRegistry registry;
    PIXORA_HANDLE a = Pixora_Initialize(nullptr);
    PIXORA_HANDLE b = Pixora_Initialize(nullptr);
    PIXORA_HANDLE c = Pixora_Initialize(nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_NE(a, c);
    EXPECT_EQ(Pixora_Release(b), 1);
    EXPECT_EQ(Pixora_Release(b), 0);
    EXPECT_EQ(Pixora_GetWaitTime(b), -1);
    EXPECT_EQ(Pixora_GetWaitTime(a), 10);
    EXPECT_EQ(Pixora_GetWaitTime(c), 10);
    EXPECT_EQ(Pixora_Release(a), 1);
    EXPECT_EQ(Pixora_Release(c), 1);
    EXPECT_EQ(Pixora_Release(c), 0);
}

TEST(Forwarding, NotSupportedExportsRecordElevenForKnownHandles) {
    ScopedRegistry registry;
    PIXORA_HWND errors = PixoraMsg_CreateWindow();
    PIXORA_HANDLE camera = Pixora_Initialize(errors);
    const std::set<std::string> unsupported = {"Pixora_Fpga_ReadRegister",
                                               "Pixora_Fpga_WriteRegister",
                                               "Pixora_Fps",
                                               "Pixora_GetCameraType",
                                               "Pixora_GetCaptureWindowEx",
                                               "Pixora_GetIOPort",
                                               "Pixora_Record",
                                               "Pixora_SetCameraType",
                                               "Pixora_SetCaptureWindow",
                                               "Pixora_SetCaptureWindowEx",
                                               "Pixora_SetCrossbar",
                                               "Pixora_SetHalfClock",
                                               "Pixora_SetIOPort",
                                               "Pixora_SetMirrorH",
                                               "Pixora_SetSamplingRate",
                                               "Pixora_SetSubSample",
                                               "Pixora_WriteSromID"};
    int seen = 0;
    for (const ExportCase& c : HandleExports()) {
        if (unsupported.count(c.name) == 0)
            continue;
        ++seen;
        while (Pixora_GetLastError(camera) != 0) {
        }
        PixoraMessage msg{};
        while (PixoraMsg_Get(errors, &msg, 0) == 1) {
        }
        EXPECT_EQ(c.call(camera), 0) << c.name;
        EXPECT_EQ(Pixora_GetLastError(camera), 11) << c.name;
        EXPECT_EQ(Pixora_GetLastError(camera), 0) << c.name;
        ASSERT_EQ(PixoraMsg_Get(errors, &msg, 0), 1) << c.name;
        EXPECT_EQ(msg.message, static_cast<uint32_t>(PIXORA_WM_ERROR));
        EXPECT_EQ(msg.lParam, 11);
        EXPECT_EQ(PixoraMsg_Get(errors, &msg, 0), 0) << c.name;
    }
    EXPECT_EQ(seen, 17);
    Pixora_Release(camera);
    PixoraMsg_DestroyWindow(errors);
}

TEST(Forwarding, ZeroReturningGettersClearTheFlag) {
    ScopedRegistry registry;
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    while (Pixora_GetLastError(camera) != 0) {
    }
    for (auto getter : {Pixora_GetVideoFormat, Pixora_GetHalfClock, Pixora_GetSamplingRate}) {
        int32_t flag = 7;
        EXPECT_EQ(getter(camera, &flag), 0);
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(getter(camera, nullptr), 0);
        flag = 7;
        EXPECT_EQ(getter(nullptr, &flag), 0);
        EXPECT_EQ(flag, 7);
    }
    int32_t flag = 7;
    EXPECT_EQ(Pixora_ReadSromID(camera, 123, &flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(Pixora_ReadSromID(camera, 123, nullptr), 0);
    EXPECT_EQ(Pixora_GetStatus(camera, 99), 0);
    EXPECT_EQ(Pixora_GetMirrorH(camera), 0);
    EXPECT_EQ(Pixora_GetSubSample(camera), 0);
    EXPECT_EQ(Pixora_GetLastError(camera), 0);
    Pixora_Release(camera);
}

TEST(Forwarding, NamedAccessorsBehaveLikeTheFilterValueExports) {
    ScopedRegistry registry;
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    for (int32_t value : {-256, -255, 0, 255, 256}) {
        while (Pixora_GetLastError(camera) != 0) {
        }
        const int32_t named = Pixora_SetBrightness(camera, value);
        const int32_t namedError = Pixora_GetLastError(camera);
        int32_t namedFlag = 5;
        const int32_t namedGet = Pixora_GetBrightness(camera, &namedFlag);
        const int32_t namedGetError = Pixora_GetLastError(camera);

        const int32_t direct = Pixora_SetFilterValue(camera, PIXORA_FILTER_BRIGHTNESS, value);
        const int32_t directError = Pixora_GetLastError(camera);
        int32_t directFlag = 5;
        const int32_t directGet =
            Pixora_GetFilterValue(camera, PIXORA_FILTER_BRIGHTNESS, &directFlag);
        const int32_t directGetError = Pixora_GetLastError(camera);

        EXPECT_EQ(named, direct) << value;
        EXPECT_EQ(namedError, directError) << value;
        EXPECT_EQ(namedGet, directGet) << value;
        EXPECT_EQ(namedFlag, directFlag) << value;
        EXPECT_EQ(namedGetError, directGetError) << value;
    }
    Pixora_Release(camera);
}

TEST(Forwarding, EveryRecordedCodeIsPostedOnceToTheErrorWindow) {
    ScopedRegistry registry;
    PIXORA_HWND errors = PixoraMsg_CreateWindow();
    PIXORA_HANDLE camera = Pixora_Initialize(errors);
    Pixora_SetColorMode(camera, 12);
    Pixora_SetAutoIris(camera, 3);
    Pixora_SetWaitTime(camera, -1);  // refused without a record
    std::vector<int32_t> posted;
    PixoraMessage msg{};
    while (PixoraMsg_Get(errors, &msg, 0) == 1) {
        EXPECT_EQ(msg.message, static_cast<uint32_t>(PIXORA_WM_ERROR));
        EXPECT_EQ(msg.wParam, 0u);
        posted.push_back(static_cast<int32_t>(msg.lParam));
    }
    std::vector<int32_t> popped;
    for (int32_t code = Pixora_GetLastError(camera); code != 0;
         code = Pixora_GetLastError(camera)) {
        popped.insert(popped.begin(), code);
    }
    EXPECT_EQ(posted, popped);
    ASSERT_GE(posted.size(), 2u);
    EXPECT_EQ(posted[posted.size() - 2], 9);
    EXPECT_EQ(posted.back(), 9);
    EXPECT_EQ(PixoraMsg_Get(errors, &msg, 0), 0);
    Pixora_Release(camera);
    PixoraMsg_DestroyWindow(errors);
}

}  // namespace
}  // namespace pixora
