#include "simulator/VirtualCameraBus.h"

#include <cstdlib>
#include <cstring>

#include "platform/Environment.h"
#include "platform/Log.h"

namespace pixora {

namespace {

// Handle values look like aligned addresses but are never dereferenced.
constexpr uintptr_t kFirstHandle = 0x53A0000;
constexpr uintptr_t kHandleStep = 0x10;

}  // namespace

VirtualCameraBus::VirtualCameraBus(std::string startupSettings)
    : startupSettings_(std::move(startupSettings)), nextHandle_(kFirstHandle) {
    for (int i = 0; i < wire::kCameraSlots; ++i) {
        cameras_[static_cast<size_t>(i)] = std::make_unique<VirtualCamera>(i, sequence_);
    }
    Reset();
}

VirtualCameraBus::~VirtualCameraBus() = default;

VirtualCameraBus& VirtualCameraBus::Instance() {
    static VirtualCameraBus* const bus = [] {
        std::string settings = EnvironmentValue("PIXORA_SIM").value_or("");
        SimSettings parsed;
        std::string error;
        if (!ParseSimSettings(settings, parsed, error)) {
            pixora::Log(LogLevel::Warning, "PIXORA_SIM ignored: " + error);
            settings.clear();
        }
        return new VirtualCameraBus(std::move(settings));
    }();
    return *bus;
}

DriverHandle VirtualCameraBus::Open(const char* path) {
    const int index = CameraIndexOfPath(path);
    if (index < 0) {
        return nullptr;
    }
    auto handle = std::make_shared<OpenHandle>();
    handle->camera = index;
    {
        std::lock_guard lock(mutex_);
        handle->value = nextHandle_;
        nextHandle_ += kHandleStep;
    }
    if (!cameras_[static_cast<size_t>(index)]->Open(handle->value, handle->generation)) {
        return nullptr;
    }
    std::lock_guard lock(mutex_);
    handles_.emplace(handle->value, handle);
    return reinterpret_cast<DriverHandle>(handle->value);
}

std::shared_ptr<OpenHandle> VirtualCameraBus::Find(DriverHandle handle) const {
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(reinterpret_cast<uintptr_t>(handle));
    return it != handles_.end() ? it->second : nullptr;
}

bool VirtualCameraBus::Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inSize,
                               void* out, uint32_t outSize, uint32_t* bytesReturned,
                               TransferStatus* why) {
    uint32_t returned = 0;
    bool result = false;
    TransferStatus status = TransferStatus::NoDevice;  // an unknown or closed handle
    if (const std::shared_ptr<OpenHandle> open = Find(handle)) {
        result = cameras_[static_cast<size_t>(open->camera)]->Control(*open, code, in, inSize, out,
                                                                      outSize, returned, status);
    }
    if (bytesReturned != nullptr) {
        *bytesReturned = returned;
    }
    if (why != nullptr) {
        *why = status;
    }
    return result;
}

void VirtualCameraBus::Close(DriverHandle handle) {
    std::shared_ptr<OpenHandle> open;
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(reinterpret_cast<uintptr_t>(handle));
        if (it == handles_.end()) {
            return;
        }
        open = it->second;
        handles_.erase(it);
    }
    open->closed.store(true);
    cameras_[static_cast<size_t>(open->camera)]->Closed(*open);
}

void VirtualCameraBus::CancelPending(DriverHandle handle) {
    const std::shared_ptr<OpenHandle> open = Find(handle);
    if (open)
        cameras_[static_cast<size_t>(open->camera)]->Cancel(*open);
}

bool VirtualCameraBus::Configure(std::string_view settings, std::string* error) {
    SimSettings parsed;
    std::string message;
    if (!ParseSimSettings(settings, parsed, message)) {
        if (error != nullptr) {
            *error = message;
        }
        return false;
    }
    return ApplySettings(parsed);
}

bool VirtualCameraBus::ApplySettings(const SimSettings& settings) {
    bool ok = true;
    if (settings.cameraMask) {
        ok = SetCameras(*settings.cameraMask) && ok;
    }
    if (settings.fps) {
        ok = SetFps(-1, *settings.fps) && ok;
    }
    if (settings.scene) {
        ok = SetScene(-1, *settings.scene) && ok;
    }
    if (settings.timeoutMs) {
        ok = SetDefaultTimeout(-1, *settings.timeoutMs) && ok;
    }
    if (settings.maxWaitMs) {
        ok = SetMaxWait(-1, *settings.maxWaitMs) && ok;
    }
    for (const FaultSetting& fault : settings.faults) {
        ok = SetFault(fault.index, fault.kind, fault.argument) && ok;
    }
    return ok;
}

void VirtualCameraBus::Reset() {
    std::map<uintptr_t, std::shared_ptr<OpenHandle>> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(handles_);
    }
    for (auto& [value, handle] : dropped) {
        handle->closed.store(true);
    }
    for (const auto& camera : cameras_) {
        camera->Reset();
    }
    SimSettings settings;
    std::string error;
    if (ParseSimSettings(startupSettings_, settings, error)) {
        ApplySettings(settings);
    }
}

bool VirtualCameraBus::SetCameras(uint32_t mask) {
    if ((mask >> wire::kCameraSlots) != 0) {
        return false;
    }
    for (int i = 0; i < wire::kCameraSlots; ++i) {
        cameras_[static_cast<size_t>(i)]->SetPresent(((mask >> i) & 1u) != 0);
    }
    return true;
}

uint32_t VirtualCameraBus::Cameras() const {
    uint32_t mask = 0;
    for (int i = 0; i < wire::kCameraSlots; ++i) {
        if (cameras_[static_cast<size_t>(i)]->Status().present) {
            mask |= 1u << i;
        }
    }
    return mask;
}

std::vector<VirtualCamera*> VirtualCameraBus::Select(int index) const {
    std::vector<VirtualCamera*> selected;
    if (index == -1) {
        for (const auto& camera : cameras_) {
            selected.push_back(camera.get());
        }
    } else if (index >= 0 && index < wire::kCameraSlots) {
        selected.push_back(cameras_[static_cast<size_t>(index)].get());
    }
    return selected;
}

bool VirtualCameraBus::SetFps(int index, double fps) {
    const std::vector<VirtualCamera*> cameras = Select(index);
    if (cameras.empty() || !(fps >= 0.0 && fps <= kMaxFps)) {
        return false;
    }
    for (VirtualCamera* camera : cameras) {
        camera->SetFps(fps);
    }
    return true;
}

bool VirtualCameraBus::SetScene(int index, SceneKind scene) {
    const std::vector<VirtualCamera*> cameras = Select(index);
    for (VirtualCamera* camera : cameras) {
        camera->SetScene(scene);
    }
    return !cameras.empty();
}

bool VirtualCameraBus::SetDefaultTimeout(int index, uint32_t ms) {
    const std::vector<VirtualCamera*> cameras = Select(index);
    if (cameras.empty() || ms == 0 || ms > kMaxTimeoutMs) {
        return false;
    }
    for (VirtualCamera* camera : cameras) {
        camera->SetDefaultTimeout(ms);
    }
    return true;
}

bool VirtualCameraBus::SetMaxWait(int index, uint32_t ms) {
    const std::vector<VirtualCamera*> cameras = Select(index);
    if (cameras.empty() || ms > kMaxTimeoutMs) {
        return false;
    }
    for (VirtualCamera* camera : cameras) {
        camera->SetMaxWait(ms);
    }
    return true;
}

bool VirtualCameraBus::SetFault(int index, FaultKind kind, int32_t argument) {
    const std::vector<VirtualCamera*> cameras = Select(index);
    bool ok = !cameras.empty();
    for (VirtualCamera* camera : cameras) {
        ok = camera->SetFault(kind, argument) && ok;
    }
    return ok;
}

bool VirtualCameraBus::Trigger(int index) {
    if (index < 0 || index >= wire::kCameraSlots) {
        return false;
    }
    return cameras_[static_cast<size_t>(index)]->Trigger();
}

std::optional<CameraStatus> VirtualCameraBus::Status(int index) const {
    if (index < 0 || index >= wire::kCameraSlots) {
        return std::nullopt;
    }
    return cameras_[static_cast<size_t>(index)]->Status();
}

int VirtualCameraBus::OpenHandles(int index) const {
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const auto& [value, handle] : handles_) {
        if (handle->camera == index) {
            ++count;
        }
    }
    return count;
}

std::optional<uint32_t> VirtualCameraBus::ReadRegister(int index, uint32_t address) const {
    if (index < 0 || index >= wire::kCameraSlots) {
        return std::nullopt;
    }
    return cameras_[static_cast<size_t>(index)]->ReadRegister(address);
}

std::vector<RequestRecord> VirtualCameraBus::Log(int index) const {
    if (index < 0 || index >= wire::kCameraSlots) {
        return {};
    }
    return cameras_[static_cast<size_t>(index)]->Log().Records();
}

std::vector<DecodedCommand> VirtualCameraBus::Commands(int index) const {
    if (index < 0 || index >= wire::kCameraSlots) {
        return {};
    }
    return cameras_[static_cast<size_t>(index)]->Log().Commands();
}

std::optional<uint64_t> VirtualCameraBus::CommandCount(int index, int command) const {
    if (index < 0 || index >= wire::kCameraSlots || command < -1 || command > 255) {
        return std::nullopt;
    }
    return cameras_[static_cast<size_t>(index)]->CommandCount(command);
}

void VirtualCameraBus::ClearLog(int index) {
    for (VirtualCamera* camera : Select(index)) {
        camera->ClearLog();
    }
}

}  // namespace pixora
