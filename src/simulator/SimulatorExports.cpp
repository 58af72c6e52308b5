// The PixoraSim_* functions: the C face of the process-wide virtual camera bus.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "PixoraPlatform.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

static_assert(PIXORA_SIM_CAMERA_SLOTS == wire::kCameraSlots);
static_assert(PIXORA_SIM_FAULT_NONE == static_cast<int>(FaultKind::None));
static_assert(PIXORA_SIM_FAULT_ABSENT == static_cast<int>(FaultKind::Absent));
static_assert(PIXORA_SIM_FAULT_OPEN == static_cast<int>(FaultKind::OpenFailure));
static_assert(PIXORA_SIM_FAULT_COMMAND == static_cast<int>(FaultKind::CommandFailure));
static_assert(PIXORA_SIM_FAULT_COMMAND_NUMBER == static_cast<int>(FaultKind::CommandNumber));
static_assert(PIXORA_SIM_FAULT_SHORT_REPLY == static_cast<int>(FaultKind::ShortReply));
static_assert(PIXORA_SIM_FAULT_SHORT_FRAME == static_cast<int>(FaultKind::ShortFrame));
static_assert(PIXORA_SIM_FAULT_STALL == static_cast<int>(FaultKind::Stall));
static_assert(PIXORA_SIM_FAULT_VANISH == static_cast<int>(FaultKind::Vanish));
static_assert(PIXORA_SIM_SCENE_BARS == static_cast<int>(SceneKind::Bars));
static_assert(PIXORA_SIM_SCENE_GRADIENT == static_cast<int>(SceneKind::Gradient));
static_assert(PIXORA_SIM_SCENE_MOVING == static_cast<int>(SceneKind::Moving));

int32_t Saturate(uint64_t value) {
    return static_cast<int32_t>(
        std::min<uint64_t>(value, static_cast<uint64_t>(std::numeric_limits<int32_t>::max())));
}

int32_t Flag(bool value) {
    return value ? 1 : 0;
}

}  // namespace
}  // namespace pixora

using pixora::VirtualCameraBus;

extern "C" {

PIXORA_API int32_t PIXORA_CALL PixoraSim_Configure(const char* settings) {
    if (settings == nullptr) {
        return 0;
    }
    return pixora::Flag(VirtualCameraBus::Instance().Configure(settings));
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_Reset(void) {
    VirtualCameraBus::Instance().Reset();
    return 1;
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_SetCameras(uint32_t mask) {
    return pixora::Flag(VirtualCameraBus::Instance().SetCameras(mask));
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_GetCameras(void) {
    return static_cast<int32_t>(VirtualCameraBus::Instance().Cameras());
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_SetFps(int32_t index, double fps) {
    return pixora::Flag(VirtualCameraBus::Instance().SetFps(index, fps));
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_SetScene(int32_t index, int32_t scene) {
    if (scene < PIXORA_SIM_SCENE_BARS || scene > PIXORA_SIM_SCENE_MOVING) {
        return 0;
    }
    return pixora::Flag(
        VirtualCameraBus::Instance().SetScene(index, static_cast<pixora::SceneKind>(scene)));
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_Trigger(int32_t index) {
    return pixora::Flag(VirtualCameraBus::Instance().Trigger(index));
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_SetFault(int32_t index, int32_t fault, int32_t argument) {
    pixora::FaultKind kind = pixora::FaultKind::None;
    if (!pixora::FaultKindFromInt(fault, kind)) {
        return 0;
    }
    return pixora::Flag(VirtualCameraBus::Instance().SetFault(index, kind, argument));
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_FramesSent(int32_t index) {
    const auto status = VirtualCameraBus::Instance().Status(index);
    return status ? pixora::Saturate(status->counters.framesSent) : -1;
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_CommandsReceived(int32_t index, int32_t command) {
    const auto count = VirtualCameraBus::Instance().CommandCount(index, command);
    return count ? pixora::Saturate(*count) : -1;
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_ReadRegister(int32_t index, int32_t address) {
    if (address < 0) {
        return -1;
    }
    const auto value =
        VirtualCameraBus::Instance().ReadRegister(index, static_cast<uint32_t>(address));
    return value ? static_cast<int32_t>(*value) : -1;
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_GetStatus(int32_t index, PixoraSimStatus* status) {
    if (status == nullptr || status->size < static_cast<int32_t>(sizeof(PixoraSimStatus))) {
        return 0;
    }
    VirtualCameraBus& bus = VirtualCameraBus::Instance();
    const auto camera = bus.Status(index);
    if (!camera) {
        return 0;
    }
    const int32_t size = status->size;
    *status = PixoraSimStatus{};
    status->size = size;
    status->present = pixora::Flag(camera->present);
    status->attached = pixora::Flag(camera->attached);
    status->openHandles = bus.OpenHandles(index);
    status->triggerMode = pixora::Flag(camera->triggerMode);
    status->pendingTriggers = static_cast<int32_t>(camera->pendingTriggers);
    status->sampleWidth = static_cast<int32_t>(camera->sampleWidth);
    status->halfClock = pixora::Flag(camera->halfClock);
    status->transferSamples = pixora::Saturate(camera->transferSamples);
    status->timeoutMs = pixora::Saturate(camera->timeoutMs);
    status->gain = static_cast<int32_t>(camera->gain);
    status->exposure = static_cast<int32_t>(camera->exposure);
    status->scene = static_cast<int32_t>(camera->scene);
    status->fpsMilli = static_cast<int32_t>(std::lround(camera->fps * 1000.0));
    status->faults = static_cast<int32_t>(camera->faultMask);
    status->framesSent = pixora::Saturate(camera->counters.framesSent);
    status->framesShort = pixora::Saturate(camera->counters.framesShort);
    status->framesFailed = pixora::Saturate(camera->counters.framesFailed);
    status->commands = pixora::Saturate(camera->counters.commands);
    status->readsWaiting = static_cast<int32_t>(camera->readsWaiting);
    return 1;
}

PIXORA_API int32_t PIXORA_CALL PixoraSim_ClearLog(int32_t index) {
    if (index < -1 || index >= PIXORA_SIM_CAMERA_SLOTS) {
        return 0;
    }
    VirtualCameraBus::Instance().ClearLog(index);
    return 1;
}

}  // extern "C"
