#include "driver/win32/KernelControlDriver.h"

#include <windows.h>

#include <map>
#include <mutex>

namespace pixora {

namespace {

// Why the driver refused a request, as far as its error code tells.
TransferStatus StatusOfError(DWORD error) {
    switch (error) {
        case ERROR_OPERATION_ABORTED:
            return TransferStatus::Cancelled;
        case ERROR_SEM_TIMEOUT:
        case WAIT_TIMEOUT:
            return TransferStatus::TimedOut;
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEV_NOT_EXIST:
            return TransferStatus::NoDevice;
        default:
            return TransferStatus::Failed;
    }
}

class KernelDriver final : public ControlDriver {
public:
    DriverHandle Open(const char* path) override {
        if (path == nullptr) {
            return nullptr;
        }
        HANDLE device =
            CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        // The device layer takes null for "no device"; INVALID_HANDLE_VALUE never leaves here.
        return device == INVALID_HANDLE_VALUE ? nullptr : device;
    }

    bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                 uint32_t outSize, uint32_t* bytesReturned, TransferStatus* why) override {
        DWORD returned = 0;
        bool accepted = false;
        if (handle != nullptr && (in != nullptr || inSize == 0) &&
            (out != nullptr || outSize == 0)) {
            const DWORD thread = GetCurrentThreadId();
            {
                std::lock_guard lock(mutex_);
                calls_.emplace(handle, thread);
            }
            accepted = DeviceIoControl(static_cast<HANDLE>(handle), code, const_cast<void*>(in),
                                       inSize, out, outSize, &returned, nullptr) != FALSE;
            if (!accepted && why != nullptr) {
                *why = StatusOfError(GetLastError());
            }
            std::lock_guard lock(mutex_);
            for (auto it = calls_.lower_bound(handle); it != calls_.end() && it->first == handle;
                 ++it) {
                if (it->second == thread) {
                    calls_.erase(it);
                    break;
                }
            }
        }
        if (bytesReturned != nullptr) {
            *bytesReturned = static_cast<uint32_t>(returned);
        }
        return accepted;
    }

    void Close(DriverHandle handle) override {
        if (handle != nullptr) {
            CloseHandle(static_cast<HANDLE>(handle));
        }
    }

    // The handles are synchronous: a request is cancelled through the thread waiting in it.
    // A thread stays in calls_ while it is inside DeviceIoControl, so its id is live here.
    void CancelPending(DriverHandle handle) override {
        std::lock_guard lock(mutex_);
        for (auto it = calls_.lower_bound(handle); it != calls_.end() && it->first == handle;
             ++it) {
            HANDLE thread = OpenThread(THREAD_TERMINATE, FALSE, it->second);
            if (thread != nullptr) {
                CancelSynchronousIo(thread);
                CloseHandle(thread);
            }
        }
    }

private:
    std::mutex mutex_;
    std::multimap<DriverHandle, DWORD> calls_;  // requests in progress: handle, thread
};

}  // namespace

ControlDriver& KernelControlDriver() {
    static KernelDriver driver;
    return driver;
}

}  // namespace pixora
