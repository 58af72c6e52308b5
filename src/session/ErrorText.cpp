#include "session/ErrorText.h"

#include "session/ErrorStack.h"

namespace pixora {

const char* ErrorCodeText(int32_t code) {
    switch (static_cast<ErrorCode>(code)) {
        case ErrorCode::None:
            return "no error";
        case ErrorCode::NoDevice:
            return "no device: the camera could not be opened, or there is no image yet";
        case ErrorCode::DeviceNotFound:
            return "device not found: no camera at the chosen index";
        case ErrorCode::ThreadFailed:
            return "thread failed: the capture thread could not be started";
        case ErrorCode::WindowFailed:
            return "window failed: the window or dialog could not be shown";
        case ErrorCode::BufferError:
            return "buffer error: an image could not be allocated or a buffer is too small";
        case ErrorCode::DeviceIoFailed:
            return "device I/O failed: a request to the camera failed";
        case ErrorCode::BadGeometry:
            return "bad geometry: the stored capture window does not fit the sensor";
        case ErrorCode::TransferFailed:
            return "transfer failed: a received frame could not be converted";
        case ErrorCode::BadArgument:
            return "bad argument: a value is out of range or unknown";
        case ErrorCode::NotSupported:
            return "not supported by this camera";
        case ErrorCode::StreamFailed:
            return "stream failed: continuous streaming stopped with an error";
    }
    return "unknown error";
}

}  // namespace pixora
