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

// Runs `read` on the session of `camera` without its call lock, for the getters that read
// only atomic state or what initialisation fixed (CameraSession::Initialized): they answer
// at once instead of queueing behind another thread's capture, save or dialog. A session
// still being initialised is read under the lock, after its initialisation; a released one
// gives `failure`, as an unknown handle does.
template <typename Read>
int32_t ReadSession(PIXORA_HANDLE camera, int32_t failure, Read&& read) {
    std::shared_ptr<CameraSession> session = HandleList().Lookup(HandleValue(camera));
    if (!session)
        return failure;
    if (!session->Initialized()) {
        std::lock_guard lock(session->CallMutex());
        return session->Released() ? failure : read(*session);
    }
    return session->Released() ? failure : read(*session);
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
