// The lookup-and-forward pattern shared by the exports.
#pragma once

#include <cstdint>
#include <mutex>

#include "PixoraSdk_530TZ.h"
#include "api/PixoraHandleList.h"
#include "session/CameraSession.h"
#include "session/CaptureMachine.h"

namespace pixora {

inline uint32_t HandleValue(PIXORA_HANDLE camera) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(camera));
}

// Runs `operation` on the session of `camera`, or returns `failure` without recording
// anything when the handle is unknown or released.
template <typename Operation>
int32_t WithSession(PIXORA_HANDLE camera, int32_t failure, Operation&& operation) {
    std::shared_ptr<CameraSession> session = HandleList().Lookup(HandleValue(camera));
    if (!session)
        return failure;
    std::lock_guard lock(session->CallMutex());
    if (session->Released())
        return failure;
    return operation(*session);
}

// Runs `operation` on the capture machinery of `camera`'s session: as WithSession, and a
// session without its device records NoDevice and gives `failure`.
template <typename Operation>
int32_t WithCapture(PIXORA_HANDLE camera, int32_t failure, Operation&& operation) {
    return WithSession(camera, failure, [&](CameraSession& s) {
        CaptureMachine* capture = s.RequireCapture();
        return capture != nullptr ? operation(*capture) : failure;
    });
}

// The same for operations that let the call lock go for a while (the modal dialogs): the
// operation receives the lock along with the session.
template <typename Operation>
int32_t WithSessionLock(PIXORA_HANDLE camera, int32_t failure, Operation&& operation) {
    std::shared_ptr<CameraSession> session = HandleList().Lookup(HandleValue(camera));
    if (!session)
        return failure;
    CameraSession::CallLock lock(session->CallMutex());
    if (session->Released())
        return failure;
    return operation(*session, lock);
}

}  // namespace pixora
