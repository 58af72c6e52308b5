// The virtual camera bus: eight camera slots behind the kernel driver's request surface, so
// that it sees exactly the requests the driver would. Port() is the driver port over it. The
// process-wide bus (Instance) serves the library by default, configured on first use from
// the environment variable PIXORA_SIM; tests may also build buses of their own.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/ControlDriver.h"
#include "driver/ControlDriverPort.h"
#include "simulator/SimSettings.h"
#include "simulator/VirtualCamera.h"

namespace pixora {

class VirtualCameraBus final : public ControlDriver {
public:
    // Built-in defaults (a camera at index 0 only, 20 fps, bars, 3000 ms time-out), then
    // `startupSettings` in the text form of ParseSimSettings. Reset returns here.
    explicit VirtualCameraBus(std::string startupSettings = {});
    ~VirtualCameraBus() override;
    VirtualCameraBus(const VirtualCameraBus&) = delete;
    VirtualCameraBus& operator=(const VirtualCameraBus&) = delete;

    // The process-wide bus, configured from PIXORA_SIM when first used. It lives until the
    // process ends, so transfer threads still running at exit never meet a dead bus.
    static VirtualCameraBus& Instance();

    // Device paths "\\.\Qvo530TZ-N", N = 0..7. A handle is an opaque value that is never
    // reused; an unknown or closed handle fails every request. Closing a handle ends the
    // frame reads that wait on it, as closing a device handle cancels its pending requests.
    DriverHandle Open(const char* path) override;
    bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                 uint32_t outSize, uint32_t* bytesReturned, TransferStatus* why = nullptr) override;
    void Close(DriverHandle handle) override;
    void CancelPending(DriverHandle handle) override;

    // The driver port over this bus, as the device layer reaches it.
    DriverPort& Port() { return port_; }

    // Applies settings text (see ParseSimSettings) on top of the current state; all or
    // nothing: false, and no change, when any item is bad.
    bool Configure(std::string_view settings, std::string* error = nullptr);
    // Back to the state after construction: every handle dies, faults, logs and counters
    // are cleared, the cameras restart from power-on.
    void Reset();

    // Bit N set: a camera at index N. False (and no change) for bits above 7.
    bool SetCameras(uint32_t mask);
    uint32_t Cameras() const;
    // index -1: every camera.
    bool SetFps(int index, double fps);
    bool SetScene(int index, SceneKind scene);
    bool SetDefaultTimeout(int index, uint32_t ms);
    bool SetMaxWait(int index, uint32_t ms);
    bool SetFault(int index, FaultKind kind, int32_t argument);
    // One external trigger pulse; true when a camera is attached at `index`.
    bool Trigger(int index);

    std::optional<CameraStatus> Status(int index) const;
    // Handles open on the camera at `index` (closed ones not counted).
    int OpenHandles(int index) const;
    std::optional<uint32_t> ReadRegister(int index, uint32_t address) const;
    // Requests received by the camera at `index`, in arrival order; empty for a bad index.
    std::vector<RequestRecord> Log(int index) const;
    // Commands the camera at `index` carried out, in arrival order.
    std::vector<DecodedCommand> Commands(int index) const;
    // Command blocks numbered `command` (-1: any) carried out by the camera at `index` since
    // the last reset or ClearLog; nothing for a bad index or number.
    std::optional<uint64_t> CommandCount(int index, int command) const;
    // Forgets the log and the command counts; index -1: every camera.
    void ClearLog(int index = -1);

private:
    bool ApplySettings(const SimSettings& settings);
    // The cameras an index names: one, or all for -1; empty for a bad index.
    std::vector<VirtualCamera*> Select(int index) const;
    std::shared_ptr<OpenHandle> Find(DriverHandle handle) const;

    const std::string startupSettings_;
    std::atomic<uint64_t> sequence_{0};
    std::array<std::unique_ptr<VirtualCamera>, wire::kCameraSlots> cameras_;

    mutable std::mutex mutex_;
    std::map<uintptr_t, std::shared_ptr<OpenHandle>> handles_;
    uintptr_t nextHandle_;
    ControlDriverPort port_{*this};
};

}  // namespace pixora
