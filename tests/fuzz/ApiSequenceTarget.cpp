// A byte string decoded into stored settings, a set of attached cameras and a sequence of
// export calls with arguments drawn from boundary values: unknown and released handles,
// null and short buffers, negative sizes, every filter index and its range edges, every
// colour mode and save format, camera faults switched on and off between the calls.
//
// Every call must return its documented failure value or success (and, where the value
// says more, the right one); every posted message must be well formed; and after the
// sequence every session stops and releases, and a new session captures a frame.
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

namespace pixora::fuzz {

namespace {

constexpr int kMaxSessions = 3;
constexpr int kMaxCalls = 40;
constexpr int32_t kLargestImage = 1360 * 1024 * 8;
constexpr int32_t kModes[] = {8, 16, 24, 32, 48, 64};

// Fixed for the process: settings file on a memory file system where there is one (the
// store syncs each write), no display (off-screen previews; dialogs fail with error 4).
struct Scratch {
    std::string dir;
    std::string registry;
    Scratch() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/pixora-fuzz-api-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        dir = made != nullptr ? made : base;
        registry = dir + "/registry.reg";
        setenv("PIXORA_REGISTRY", registry.c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("PIXORA_SIM");
    }
};

// PIXORA_FUZZ_TRACE=1 lists every call and its result on stderr, for reading an input.
bool Tracing() {
    static const bool tracing = std::getenv("PIXORA_FUZZ_TRACE") != nullptr;
    return tracing;
}

const Scratch& Setup() {
    static const Scratch scratch;
    return scratch;
}

// Caller memory outlives every session: a stream may write into it until it is stopped.
// Each session slot has its own, and within a slot the memory given to the workers (callback
// preview, trigger) is never the memory the application thread copies into (snapshot, get
// image), as an application that reads frames safely keeps them apart; handles that are no
// session's get a buffer of their own. So no two threads ever write one buffer at once.
enum class Use { Worker, Copy };
uint8_t* LargeBuffer(int slot, Use use) {
    static std::array<uint8_t*, 2 * kMaxSessions + 1> buffers{};
    const size_t index =
        slot < 0 ? buffers.size() - 1 : static_cast<size_t>(2 * slot + (use == Use::Copy ? 1 : 0));
    if (buffers[index] == nullptr)
        buffers[index] = new uint8_t[kLargestImage];
    return buffers[index];
}
uint8_t* SmallBuffer(int slot, Use use) {
    static std::array<std::array<uint8_t, 64>, 2 * kMaxSessions + 1> buffers{};
    const size_t index =
        slot < 0 ? buffers.size() - 1 : static_cast<size_t>(2 * slot + (use == Use::Copy ? 1 : 0));
    return buffers[index].data();
}

bool IsMode(int32_t bits) {
    for (int32_t m : kModes) {
        if (m == bits)
            return true;
    }
    return false;
}

bool IsErrorCode(int64_t code) {
    return (code >= 1 && code <= 9) || code == 11 || code == 13;
}

// Whether SetFilterValue(index, value) is to succeed.
bool FilterAccepts(int32_t index, int32_t value) {
    struct Range {
        int32_t index;
        int32_t min;
        int32_t max;
    };
    static constexpr Range kRanges[] = {
        {1, -255, 255}, {2, -127, 127}, {3, -360, 360},  {4, -255, 255},  {5, 0, 30},
        {7, 0, 400},    {8, 0, 400},    {9, 0, 400},     {11, 0, 200},    {12, 0, 3},
        {13, 0, 1023},  {18, 0, 1067},  {19, 0, 2},      {20, 0, 255},    {21, 0, 255},
        {22, 0, 255},   {23, 0, 255},   {24, -255, 255}, {25, -255, 255}, {26, -255, 255},
        {27, -255, 255}};
    if (index == 6 || index == 10)
        return true;
    for (const Range& r : kRanges) {
        if (r.index == index)
            return value >= r.min && value <= r.max;
    }
    return false;
}

bool FilterKnown(int32_t index) {
    return index >= 1 && index <= 27 && (index < 14 || index > 17);
}

int32_t PickIndex(FuzzInput& in) {
    static constexpr int32_t kOdd[] = {-1, 0, 14, 15, 16, 17, 28, 29, 1000, INT32_MIN, INT32_MAX};
    return in.Byte() % 4 == 0 ? in.Pick(kOdd) : in.Range(1, 27);
}

void Dword(std::string& text, const char* name, int32_t value) {
    char line[64];
    std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\r\n", name, static_cast<uint32_t>(value));
    text += line;
}

// Stored settings: values drawn from the input (any 32-bit value, in or out of range); now
// and then none, or the input's own bytes as the file. (Without a valid stored window every
// frame is the full 1360 x 1024, which makes a run many times slower.)
void WriteSettings(FuzzInput& in, const std::string& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    std::filesystem::remove(file + ".bad", ec);
    const uint8_t choice = in.Byte() % 8;
    if (choice == 1)
        return;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (choice == 2) {
        size_t length = 0;
        const uint8_t* bytes = in.Take(in.Range(0, 200), &length);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(length));
        return;
    }
    const std::string root = "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk";
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n" + root + "]\r\n";
    static constexpr int32_t kColors[] = {0, 1, 2, 3, 4, 5, 6, -1};
    static constexpr int32_t kSmall[] = {0, 1, 2, 3, 4, 5, 8, 16, 31, 64, 160, -1};
    static constexpr int32_t kStart[] = {0, 0, 0, 1, 2, 3, 100, 1356, 1359, 1360, 1361, -1};
    static constexpr int32_t kWaits[] = {0, 0, 1, 2, 10, -1, 100000};
    Dword(text, "Clock", in.Range(-1, 2));
    Dword(text, "Color", in.Pick(kColors));
    Dword(text, "Size", in.Range(0, 2));
    Dword(text, "SubSample", in.Range(-1, 3));
    Dword(text, "WaitTime", in.Pick(kWaits));
    for (int size = 0; size < 2; ++size) {
        char name[16];
        std::snprintf(name, sizeof name, "Size_%02d", size);
        text += "\r\n" + root + "\\" + name + "]\r\n";
        // Mostly small windows keep each frame cheap; now and then the full width or height.
        Dword(text, "EH", in.Byte() % 16 == 0 ? 1360 : in.Pick(kSmall));
        Dword(text, "EV", in.Byte() % 16 == 0 ? 1024 : in.Pick(kSmall));
        Dword(text, "EHS", in.Pick(kStart));
        Dword(text, "EVS", in.Pick(kStart));
        Dword(text, "Buf", in.Interesting());
    }
    if (in.Flag()) {
        text += "\r\n" + root + "\\Filter]\r\n";
        for (const char* name : {"Brightness", "Contrast", "Hue", "Saturation", "Sharpness",
                                 "R_Gain", "G_Gain", "B_Gain", "Gamma", "BayerMode"}) {
            Dword(text, name, in.Interesting());
        }
    }
    if (in.Flag()) {
        text += "\r\n" + root + "\\Gray]\r\n";
        for (const char* name : {"Mode", "GainR1", "GainG1", "GainG2", "GainB1", "OffsetR1",
                                 "OffsetG1", "OffsetG2", "OffsetB1"}) {
            Dword(text, name, in.Interesting());
        }
    }
    if (in.Flag()) {
        text += "\r\n" + root + "\\Gain]\r\n";
        for (const char* name : {"Global", "ColorG1", "ColorR", "ColorB", "ColorG2", "Exposure",
                                 "V_Mirror", "AutoIris"}) {
            Dword(text, name, in.Interesting());
        }
    }
    out << text;
}

class Sequence {
public:
    explicit Sequence(FuzzInput& in) : in_(in) {
        errors_ = PixoraMsg_CreateWindow();
        frames_ = PixoraMsg_CreateWindow();
    }

    ~Sequence() {
        PixoraMsg_DestroyWindow(errors_);
        PixoraMsg_DestroyWindow(frames_);
    }

    void Run() {
        // Decided up front: a new session at the end costs as much as the rest of a run.
        const bool freshSessionAfter = in_.Flag();
        for (int call = 0; call < kMaxCalls && !in_.Empty(); ++call)
            Step();
        Finish(freshSessionAfter);
    }

private:
    enum class Who { Live, Released, Unknown };

    struct Target {
        PIXORA_HANDLE handle = nullptr;
        Who who = Who::Unknown;
        int slot = -1;
    };

    Target PickHandle() {
        const uint8_t choice = in_.Byte();
        Target t;
        if (choice % 8 < 6) {
            const int slot = static_cast<int>(choice / 8 % kMaxSessions);
            if (live_[static_cast<size_t>(slot)] != nullptr) {
                t.handle = live_[static_cast<size_t>(slot)];
                t.who = Who::Live;
                t.slot = slot;
                return t;
            }
        }
        if (choice % 8 == 6 && !released_.empty()) {
            t.handle = released_[choice / 8 % released_.size()];
            t.who = Who::Released;
            return Resolved(t);
        }
        static const uintptr_t kUnknown[] = {0, 1, 0xFFFFFFFF, 0x12345678};
        t.handle = reinterpret_cast<PIXORA_HANDLE>(kUnknown[choice / 8 % 4]);
        return Resolved(t);
    }

    // A released or made-up handle value that a live session holds now is that session's.
    Target Resolved(Target t) const {
        for (size_t slot = 0; slot < live_.size(); ++slot) {
            if (live_[slot] != nullptr && live_[slot] == t.handle) {
                t.who = Who::Live;
                t.slot = static_cast<int>(slot);
            }
        }
        return t;
    }

    // A caller buffer and the size claimed for it; never more than it really has.
    struct Buffer {
        void* pointer = nullptr;
        int32_t size = 0;
    };
    Buffer PickBuffer(const Target& t, Use use) {
        const int slot = t.who == Who::Live ? t.slot : -1;
        switch (in_.Byte() % 6) {
            case 0:
                return {nullptr, 0};
            case 1:
                return {nullptr, in_.Interesting()};
            case 2:
                return {SmallBuffer(slot, use), in_.Range(-2, 64)};
            case 3: {
                // One byte short of the image the session would deliver.
                const int32_t needed = NeededBytes(t);
                return {LargeBuffer(slot, use), needed > 0 ? needed - 1 : 0};
            }
            case 4:
                return {LargeBuffer(slot, use), NeededBytes(t)};
            default:
                return {LargeBuffer(slot, use),
                        in_.Byte() % 2 == 0 ? kLargestImage : in_.Interesting() & 0x7FFFFF};
        }
    }

    static int32_t NeededBytes(const Target& t) {
        const int32_t bits = Pixora_GetColorMode(t.handle);
        const int32_t width = Pixora_Width(t.handle);
        const int32_t height = Pixora_Height(t.handle);
        if (!IsMode(bits) || width <= 0 || height <= 0)
            return 0;
        const int64_t stride = (int64_t{width} * bits / 8 + 3) & ~int64_t{3};
        return static_cast<int32_t>(std::min<int64_t>(stride * height, kLargestImage));
    }

    PIXORA_HWND PickWindow() {
        switch (in_.Byte() % 4) {
            case 0:
                return nullptr;
            case 1:
                return errors_;
            case 2:
                return frames_;
            default:
                return reinterpret_cast<PIXORA_HWND>(uintptr_t{0xDEAD0000});
        }
    }

    // A result of a call with this handle: an unknown one gives exactly the failure value.
    void Result(const Target& t, int32_t result, int32_t failure, const char* call,
                bool zeroOrOne = true) {
        if (Tracing()) {
            static const auto start = std::chrono::steady_clock::now();
            std::fprintf(
                stderr, "%6lld ms %s(%s) = %d\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()),
                call,
                t.who == Who::Live       ? "live"
                : t.who == Who::Released ? "released"
                                         : "unknown",
                result);
        }
        if (t.who != Who::Live) {
            PIXORA_FUZZ_REQUIRE(result == failure, "%s with an unknown handle returned %d, not %d",
                                call, result, failure);
            return;
        }
        if (zeroOrOne)
            PIXORA_FUZZ_REQUIRE(result == 0 || result == 1, "%s returned %d", call, result);
    }

    void Step() {
        const uint8_t op = in_.Byte();
        switch (op % 34) {
            case 0:
            case 1:
                Initialize();
                break;
            case 2:
                Release();
                break;
            case 3: {
                const Target t = PickHandle();
                const Buffer b = PickBuffer(t, Use::Copy);
                Result(t, Pixora_SnapShot(t.handle, b.pointer, b.size, in_.Range(-1, 1)), 0,
                       "Pixora_SnapShot");
                break;
            }
            case 4: {
                const Target t = PickHandle();
                Result(t, Pixora_Capture(t.handle), 0, "Pixora_Capture");
                break;
            }
            case 5: {
                const Target t = PickHandle();
                const PIXORA_HWND w = PickWindow();
                const Buffer b = PickBuffer(t, Use::Worker);
                Result(t, Pixora_CallBackPreview(t.handle, w, b.pointer, b.size, in_.Range(-1, 1)),
                       0, "Pixora_CallBackPreview");
                break;
            }
            case 6: {
                const Target t = PickHandle();
                Result(t, in_.Flag() ? Pixora_Preview(t.handle) : Pixora_StartPreview(t.handle), 0,
                       "Pixora_Preview");
                break;
            }
            case 7: {
                const Target t = PickHandle();
                Result(t, in_.Flag() ? Pixora_StopPreview(t.handle) : Pixora_Close(t.handle), 0,
                       "Pixora_StopPreview");
                break;
            }
            case 8: {
                const Target t = PickHandle();
                const PIXORA_HWND w = PickWindow();
                const Buffer b = PickBuffer(t, Use::Worker);
                Result(t, Pixora_Trigger(t.handle, w, b.pointer, b.size, in_.Range(-1, 1)), 0,
                       "Pixora_Trigger");
                break;
            }
            case 9: {
                const Target t = PickHandle();
                const Buffer b = PickBuffer(t, Use::Copy);
                Result(t, Pixora_GetImage(t.handle, b.pointer, b.size, in_.Range(-1, 1)), 0,
                       "Pixora_GetImage");
                break;
            }
            case 10: {
                const Target t = PickHandle();
                const int32_t bits = in_.Byte() % 4 == 0 ? in_.Interesting() : in_.Pick(kModes);
                const int32_t result = Pixora_SetColorMode(t.handle, bits);
                Result(t, result, 0, "Pixora_SetColorMode");
                if (t.who == Who::Live)
                    PIXORA_FUZZ_REQUIRE(result == (IsMode(bits) ? 1 : 0), "colour mode %d", bits);
                break;
            }
            case 11: {
                const Target t = PickHandle();
                const int32_t bits = Pixora_GetColorMode(t.handle);
                Result(t, bits, -1, "Pixora_GetColorMode", false);
                if (t.who == Who::Live)
                    PIXORA_FUZZ_REQUIRE(bits == -1 || IsMode(bits), "colour mode %d", bits);
                break;
            }
            case 12:
                SetFilter();
                break;
            case 13:
                GetFilter();
                break;
            case 14: {
                const Target t = PickHandle();
                const int32_t ms = in_.Byte() % 2 == 0 ? in_.Range(-1, 3) : in_.Interesting();
                const int32_t result = Pixora_SetWaitTime(t.handle, ms);
                Result(t, result, 0, "Pixora_SetWaitTime");
                if (t.who == Who::Live)
                    PIXORA_FUZZ_REQUIRE(result == (ms >= 0 ? 1 : 0), "wait time %d", ms);
                Result(t, Pixora_GetWaitTime(t.handle), -1, "Pixora_GetWaitTime", false);
                break;
            }
            case 15: {
                const Target t = PickHandle();
                const int32_t index = in_.Range(-2, 9);
                Result(t, Pixora_SetDeviceNumber(t.handle, index), 0, "Pixora_SetDeviceNumber");
                break;
            }
            case 16:
                Names();
                break;
            case 17: {
                const Target t = PickHandle();
                PixoraCameraInfo info{};
                static constexpr uint32_t kSizes[] = {0, 35, 36, 37, 0xFFFFFFFF};
                info.size = in_.Pick(kSizes);
                const bool null = in_.Byte() % 4 == 0;
                const int32_t result = Pixora_GetCameraInfo(t.handle, null ? nullptr : &info);
                Result(t, result, 0, "Pixora_GetCameraInfo");
                if (result == 1) {
                    PIXORA_FUZZ_REQUIRE(info.size >= 36 && info.sensorWidth == 1360 &&
                                            info.sensorHeight == 1024 && info.gainMax == 1023 &&
                                            info.exposureMin == 8 && info.exposureMax == 1068,
                                        "camera information");
                }
                break;
            }
            case 18: {
                const Target t = PickHandle();
                const int32_t width = Pixora_Width(t.handle);
                const int32_t height = Pixora_Height(t.handle);
                Result(t, width, 0, "Pixora_Width", false);
                Result(t, height, 0, "Pixora_Height", false);
                if (t.who == Who::Live) {
                    PIXORA_FUZZ_REQUIRE(
                        width >= 0 && width <= 1360 && height >= 0 && height <= 1024,
                        "capture size %d x %d", width, height);
                }
                const int32_t sub = Pixora_GetSubSample(t.handle);
                PIXORA_FUZZ_REQUIRE(sub == (t.who == Who::Live ? 0 : -1), "sub-sample %d", sub);
                Result(t, Pixora_GetStatus(t.handle, in_.Interesting()), 0, "Pixora_GetStatus",
                       false);
                break;
            }
            case 19: {
                const Target t = PickHandle();
                Result(t,
                       Pixora_SetPreviewWindow(t.handle, PickWindow(), in_.Interesting(),
                                               in_.Interesting(), in_.Interesting(),
                                               in_.Interesting()),
                       0, "Pixora_SetPreviewWindow");
                break;
            }
            case 20:
                Save();
                break;
            case 21:
                Registers();
                break;
            case 22: {
                const Target t = PickHandle();
                const int32_t mode = in_.Range(-1, 3);
                const int32_t result = Pixora_SetAutoIris(t.handle, mode);
                Result(t, result, 0, "Pixora_SetAutoIris");
                if (t.who == Who::Live)
                    PIXORA_FUZZ_REQUIRE(result == (mode >= 0 && mode <= 2 ? 1 : 0), "auto iris");
                int32_t ok = 7;
                const int32_t got = Pixora_GetAutoIris(t.handle, in_.Flag() ? &ok : nullptr);
                Result(t, got, 0, "Pixora_GetAutoIris", false);
                Result(t, Pixora_SetMirrorV(t.handle, in_.Interesting()), 0, "Pixora_SetMirrorV");
                Result(t, Pixora_GetMirrorV(t.handle), 0, "Pixora_GetMirrorV");
                Result(t, Pixora_GetMirrorH(t.handle), 0, "Pixora_GetMirrorH");
                break;
            }
            case 23:
                Unsupported();
                break;
            case 24: {
                const Target t = PickHandle();
                const PIXORA_HWND parent = PickWindow();
                switch (in_.Byte() % 3) {
                    case 0:
                        Result(t, Pixora_SetCameraDlg(t.handle, parent), 0, "Pixora_SetCameraDlg");
                        break;
                    case 1:
                        Result(t, Pixora_SetImageDlg(t.handle, parent), 0, "Pixora_SetImageDlg");
                        break;
                    default:
                        Result(t, Pixora_SetAnalogDlg(t.handle, parent), 0, "Pixora_SetAnalogDlg");
                        break;
                }
                break;
            }
            case 25: {
                const Target t = PickHandle();
                const int32_t code = Pixora_GetLastError(t.handle);
                Result(t, code, 0, "Pixora_GetLastError", false);
                if (t.who == Who::Live)
                    PIXORA_FUZZ_REQUIRE(code == 0 || IsErrorCode(code), "error code %d", code);
                break;
            }
            case 26:
            case 27: {
                // Faults on and off between calls, on any camera or all of them.
                const int32_t index = in_.Range(-1, 7);
                const int32_t kind = in_.Range(0, 8);
                static constexpr int32_t kArguments[] = {-1, 0, 0, 1, 2, 3, 10, 40, 1000};
                PixoraSim_SetFault(index, kind, in_.Pick(kArguments));
                break;
            }
            case 28:
                PixoraSim_Trigger(in_.Range(0, 7));
                break;
            case 29:
            case 30:
                // Let the workers run for a moment, and read what they posted.
                std::this_thread::sleep_for(std::chrono::milliseconds(in_.Range(0, 4)));
                Messages();
                break;
            case 31:
                PixoraSim_SetCameras(in_.Byte());
                break;
            case 32:
                Accessors();
                break;
            default:
                Messages();
                break;
        }
    }

    void Initialize() {
        for (size_t slot = 0; slot < live_.size(); ++slot) {
            if (live_[slot] != nullptr)
                continue;
            const PIXORA_HANDLE h = Pixora_Initialize(in_.Flag() ? errors_ : nullptr);
            PIXORA_FUZZ_REQUIRE(h != nullptr, "Pixora_Initialize returned no handle");
            for (PIXORA_HANDLE other : live_)
                PIXORA_FUZZ_REQUIRE(other != h, "two live sessions share a handle");
            live_[slot] = h;
            return;
        }
    }

    void Release() {
        const Target t = PickHandle();
        Messages();
        const int32_t result = Pixora_Release(t.handle);
        PIXORA_FUZZ_REQUIRE(result == (t.who == Who::Live ? 1 : 0), "Pixora_Release returned %d",
                            result);
        if (t.who == Who::Live) {
            for (PIXORA_HANDLE& h : live_) {
                if (h == t.handle)
                    h = nullptr;
            }
            released_.push_back(t.handle);
            // Frames posted before the release keep readable records.
            Messages();
        }
    }

    void SetFilter() {
        const Target t = PickHandle();
        const int32_t index = PickIndex(in_);
        const int32_t value = in_.Interesting();
        const int32_t result = Pixora_SetFilterValue(t.handle, index, value);
        Result(t, result, 0, "Pixora_SetFilterValue");
        if (t.who == Who::Live) {
            PIXORA_FUZZ_REQUIRE(result == (FilterAccepts(index, value) ? 1 : 0),
                                "filter %d set to %d returned %d", index, value, result);
        }
    }

    void GetFilter() {
        const Target t = PickHandle();
        int32_t index = PickIndex(in_);
        if (index == 18)
            index = 13;  // the exposure read waits 120 ms for the camera to settle
        int32_t ok = 7;
        const bool withFlag = in_.Byte() % 4 != 0;
        const int32_t value = Pixora_GetFilterValue(t.handle, index, withFlag ? &ok : nullptr);
        Result(t, value, 0, "Pixora_GetFilterValue", false);
        if (t.who == Who::Live && withFlag) {
            PIXORA_FUZZ_REQUIRE(ok == (FilterKnown(index) ? 1 : 0), "flag %d for filter %d", ok,
                                index);
        }
        if (t.who == Who::Live && !FilterKnown(index))
            PIXORA_FUZZ_REQUIRE(value == 0, "unknown filter %d gave %d", index, value);
    }

    void Accessors() {
        const Target t = PickHandle();
        const int32_t value = in_.Interesting();
        struct Accessor {
            int32_t index;
            int32_t (*set)(PIXORA_HANDLE, int32_t);
            int32_t (*get)(PIXORA_HANDLE, int32_t*);
        };
        static constexpr Accessor kAccessors[] = {
            {1, Pixora_SetBrightness, Pixora_GetBrightness},
            {3, Pixora_SetHue, Pixora_GetHue},
            {6, Pixora_SetBayerGainRGB, Pixora_GetBayerGainRGB},
            {10, Pixora_SetBayerGainAuto, Pixora_GetBayerGainAuto},
            {11, Pixora_SetGamma, Pixora_GetGamma},
            {13, Pixora_SetGlobalGain, Pixora_GetGlobalGain},
            {14, Pixora_SetColorGainRed, Pixora_GetColorGainRed},
            {19, Pixora_SetGrayMode, Pixora_GetGrayMode},
            {23, Pixora_SetGrayGainB, Pixora_GetGrayGainB},
            {27, Pixora_SetGrayOffsetB, Pixora_GetGrayOffsetB},
        };
        const Accessor& a = in_.Pick(kAccessors);
        const int32_t result = a.set(t.handle, value);
        Result(t, result, 0, "a filter setter");
        if (t.who == Who::Live)
            PIXORA_FUZZ_REQUIRE(result == (FilterAccepts(a.index, value) ? 1 : 0),
                                "accessor of filter %d set to %d returned %d", a.index, value,
                                result);
        int32_t ok = 7;
        Result(t, a.get(t.handle, in_.Flag() ? &ok : nullptr), 0, "a filter getter", false);
    }

    void Names() {
        const Target t = PickHandle();
        if (in_.Flag()) {
            static std::array<char, PIXORA_DEVICE_NAME_ENTRY * PIXORA_DEVICE_NAME_COUNT> names;
            names.fill('x');
            const bool null = in_.Byte() % 4 == 0;
            const int32_t n = Pixora_EnumDevice(t.handle, null ? nullptr : names.data());
            Result(t, n, 0, "Pixora_EnumDevice", false);
            PIXORA_FUZZ_REQUIRE(n >= 0 && n <= 8, "%d devices", n);
            for (int32_t e = 0; e < n; ++e) {
                char want[32];
                std::snprintf(want, sizeof want, "Pixora530TZ_%02d", e + 1);
                PIXORA_FUZZ_REQUIRE(std::strcmp(names.data() + e * 256, want) == 0,
                                    "device entry %d", e);
            }
            for (int32_t e = n; e < 10 && n > 0; ++e)
                PIXORA_FUZZ_REQUIRE(names[static_cast<size_t>(e) * 256] == '\0', "entry %d", e);
            return;
        }
        static char name[64];
        std::memset(name, 'x', sizeof name);
        static constexpr int32_t kSizes[] = {-1, 0, 14, 15, 16, 64};
        const int32_t size = in_.Pick(kSizes);
        const int32_t index = in_.Range(-2, 9);
        const bool null = in_.Byte() % 4 == 0;
        const int32_t result = Pixora_GetDeviceName(t.handle, index, null ? nullptr : name, size);
        Result(t, result, 0, "Pixora_GetDeviceName");
        if (result == 1) {
            char want[32];
            std::snprintf(want, sizeof want, "Pixora530TZ_%02d", index + 1);
            PIXORA_FUZZ_REQUIRE(std::strcmp(name, want) == 0, "device name %s", name);
        }
    }

    void Save() {
        const Target t = PickHandle();
        static constexpr int32_t kFormats[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 1000};
        const int32_t format = in_.Pick(kFormats);
        const std::string file = Setup().dir + "/saved.img";
        const std::string missing = Setup().dir + "/no/such/folder/saved.img";
        const char* name = nullptr;
        switch (in_.Byte() % 4) {
            case 0:
                name = nullptr;
                break;
            case 1:
                name = "";
                break;
            case 2:
                name = missing.c_str();
                break;
            default:
                name = file.c_str();
                break;
        }
        Result(t, Pixora_SaveImage(t.handle, name, format), 0, "Pixora_SaveImage");
    }

    void Registers() {
        const Target t = PickHandle();
        const int32_t address = in_.Byte() % 2 == 0 ? in_.Range(-1, 300) : in_.Interesting();
        const int32_t value = in_.Interesting();
        const int32_t written = Pixora_WriteRegister(t.handle, address, value);
        Result(t, written, 0, "Pixora_WriteRegister");
        const uint32_t reg = static_cast<uint32_t>(address) & 0xFF;
        if (reg >= 192)
            PIXORA_FUZZ_REQUIRE(written == 0, "register %u written", reg);
        int32_t ok = 7;
        const bool withFlag = in_.Flag();
        const int32_t read = Pixora_ReadRegister(t.handle, address, withFlag ? &ok : nullptr);
        Result(t, read, 0, "Pixora_ReadRegister", false);
        if (t.who == Who::Live && withFlag) {
            PIXORA_FUZZ_REQUIRE(ok == (reg < 192 ? 1 : 0), "register %u read flag %d", reg, ok);
            // The cache holds the low 16 bits written, unless a worker rewrote the register
            // meanwhile (gain, exposure, trigger mode).
            const bool workerOwned =
                reg == 6 || reg == 7 || reg == 32 || reg == 33 || reg == 158 || reg == 159;
            if (written == 1 && !workerOwned) {
                PIXORA_FUZZ_REQUIRE(read == (value & 0xFFFF), "register %u read %d after %d", reg,
                                    read, value);
            }
        }
    }

    void Unsupported() {
        const Target t = PickHandle();
        int32_t a = 7;
        int32_t b = 7;
        int32_t c = 7;
        int32_t d = 7;
        int32_t* p = in_.Flag() ? &a : nullptr;
        const int32_t v = in_.Interesting();
        int32_t result = 0;
        switch (in_.Byte() % 12) {
            case 0:
                result = Pixora_Fpga_ReadRegister(t.handle, v, p);
                break;
            case 1:
                result = Pixora_Fpga_WriteRegister(t.handle, v, v);
                break;
            case 2:
                result = Pixora_GetCaptureWindowEx(t.handle, p, p ? &b : nullptr, &c, &d);
                break;
            case 3:
                result = Pixora_Record(t.handle, in_.Flag() ? nullptr : "");
                break;
            case 4:
                result = Pixora_SetCaptureWindow(t.handle, v, v, v, v);
                break;
            case 5:
                result = Pixora_SetSubSample(t.handle, v);
                break;
            case 6:
                result = Pixora_SetHalfClock(t.handle, v);
                break;
            case 7:
                result = Pixora_ReadSromID(t.handle, v, p);
                break;
            case 8:
                result = Pixora_GetVideoFormat(t.handle, p);
                PIXORA_FUZZ_REQUIRE(p == nullptr || a == 0 || t.who != Who::Live, "flag %d", a);
                break;
            case 9:
                result = Pixora_GetHalfClock(t.handle, p);
                break;
            case 10:
                result = Pixora_GetSamplingRate(t.handle, p);
                break;
            default:
                result = Pixora_SetCrossbar(t.handle, v, v);
                break;
        }
        // None of these ever succeeds on this camera.
        PIXORA_FUZZ_REQUIRE(result == 0, "an unsupported export gave %d", result);
    }

    // Messages posted so far: frame messages carry a well-formed record or an error code;
    // error messages carry a code.
    // A frame record stays readable after its session is released, but is rewritten 64
    // frames later: only the newest few are read.
    void Messages(bool readRecords = true) {
        std::vector<PixoraMessage> taken;
        PixoraMessage msg{};
        while (PixoraMsg_Get(frames_, &msg, 0) == 1)
            taken.push_back(msg);
        while (PixoraMsg_Get(errors_, &msg, 0) == 1)
            taken.push_back(msg);
        constexpr size_t kRecent = 16;
        for (size_t i = 0; i < taken.size(); ++i)
            CheckMessage(taken[i], readRecords && taken.size() - i <= kRecent);
    }

    static void CheckMessage(const PixoraMessage& msg, bool readRecord) {
        if (msg.message == PIXORA_WM_ERROR) {
            PIXORA_FUZZ_REQUIRE(msg.wParam == 0 && IsErrorCode(msg.lParam), "error message %ld",
                                static_cast<long>(msg.lParam));
            return;
        }
        PIXORA_FUZZ_REQUIRE(msg.message == PIXORA_WM_FRAME, "message %u", msg.message);
        if (msg.wParam == 0) {
            PIXORA_FUZZ_REQUIRE(msg.lParam == 5 || msg.lParam == 8 || msg.lParam == 13,
                                "frame error %ld", static_cast<long>(msg.lParam));
            return;
        }
        if (!readRecord)
            return;
        const auto* info = reinterpret_cast<const PixoraFrameInfo*>(msg.wParam);
        PIXORA_FUZZ_REQUIRE(msg.lParam == 0 && info->size == 24 && IsMode(info->bitsPerPixel) &&
                                info->width > 0 && info->width <= 1360 && info->height > 0 &&
                                info->height <= 1024 && info->reserved == 0 && info->frameRate >= 0,
                            "frame record %d %dx%d %d bits", info->size, info->width, info->height,
                            info->bitsPerPixel);
    }

    // Every session stops and releases; nothing stays open on any camera; a new session
    // on a healthy camera captures a frame.
    void Finish(bool freshSessionAfter) {
        PixoraSim_SetFault(-1, 0, 0);
        Messages();
        for (PIXORA_HANDLE& h : live_) {
            if (h == nullptr)
                continue;
            Pixora_StopPreview(h);
            PIXORA_FUZZ_REQUIRE(IsMode(Pixora_GetColorMode(h)) || Pixora_GetColorMode(h) == -1,
                                "colour mode after the sequence");
            PIXORA_FUZZ_REQUIRE(Pixora_Release(h) == 1, "release after the sequence");
            h = nullptr;
        }
        Messages();
        for (int32_t i = 0; i < PIXORA_SIM_CAMERA_SLOTS; ++i) {
            PixoraSimStatus status{};
            status.size = sizeof status;
            PIXORA_FUZZ_REQUIRE(PixoraSim_GetStatus(i, &status) == 1, "status");
            PIXORA_FUZZ_REQUIRE(status.openHandles == 0 && status.readsWaiting == 0,
                                "camera %d: %d handles open, %d reads waiting", i,
                                status.openHandles, status.readsWaiting);
        }

        if (!freshSessionAfter)
            return;
        // A small healthy capture window: the full frame would only make each run slower.
        {
            std::ofstream out(Setup().registry, std::ios::binary | std::ios::trunc);
            std::string text =
                "Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk]\r\n";
            Dword(text, "Color", 0);
            Dword(text, "Size", 0);
            Dword(text, "SubSample", 0);
            Dword(text, "WaitTime", 0);
            text += "\r\n[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk\\Size_00]\r\n";
            Dword(text, "EH", 64);
            Dword(text, "EV", 48);
            Dword(text, "EHS", 0);
            Dword(text, "EVS", 0);
            out << text;
        }
        PixoraSim_SetCameras(1);
        const PIXORA_HANDLE fresh = Pixora_Initialize(nullptr);
        PIXORA_FUZZ_REQUIRE(fresh != nullptr, "no session after the sequence");
        PIXORA_FUZZ_REQUIRE(Pixora_SnapShot(fresh, nullptr, 0, 1) == 1,
                            "no snapshot after the sequence");
        PIXORA_FUZZ_REQUIRE(Pixora_GetLastError(fresh) == 0, "error after the sequence");
        PIXORA_FUZZ_REQUIRE(Pixora_Release(fresh) == 1, "release of the fresh session");
    }

    FuzzInput& in_;
    PIXORA_HWND errors_ = nullptr;
    PIXORA_HWND frames_ = nullptr;
    std::array<PIXORA_HANDLE, kMaxSessions> live_{};
    std::vector<PIXORA_HANDLE> released_;
};

}  // namespace

int FuzzApiSequence(const uint8_t* data, size_t size) {
    const Scratch& scratch = Setup();
    FuzzInput in(data, size);
    PixoraSim_Reset();
    PixoraSim_Configure("fps=0 maxwait=20");
    PixoraSim_SetCameras(in.Byte() | (in.Byte() % 4 == 0 ? 0 : 1));
    PixoraSim_SetScene(-1, in.Range(0, 2));
    WriteSettings(in, scratch.registry);
    Sequence(in).Run();
    return 0;
}

}  // namespace pixora::fuzz
