#include "ErrorText.h"

#include "PixoraSdk_530TZ.h"

namespace pixora::cli {

const char* ErrorMeaning(int32_t code) {
    switch (code) {
        case PIXORA_ERR_NO_DEVICE:
            return "no device: the camera could not be opened, or there is no image yet";
        case PIXORA_ERR_DEVICE_NOT_FOUND:
            return "device not found: no camera at the chosen index";
        case PIXORA_ERR_THREAD_FAILED:
            return "thread failed: the capture thread could not be started";
        case PIXORA_ERR_WINDOW_FAILED:
            return "window failed: the window or dialog could not be shown";
        case PIXORA_ERR_BUFFER:
            return "buffer error: an image could not be allocated or a buffer is too small";
        case PIXORA_ERR_DEVICE_IO:
            return "device I/O failed: a request to the camera failed";
        case PIXORA_ERR_BAD_GEOMETRY:
            return "bad geometry: the stored capture window does not fit the sensor";
        case PIXORA_ERR_TRANSFER_FAILED:
            return "transfer failed: a received frame could not be converted";
        case PIXORA_ERR_BAD_ARGUMENT:
            return "bad argument: a value is out of range or unknown";
        case PIXORA_ERR_NOT_SUPPORTED:
            return "not supported by this camera";
        case PIXORA_ERR_STREAM_FAILED:
            return "stream failed: continuous streaming stopped with an error";
        default:
            return "unknown error";
    }
}

std::string DescribeError(int32_t code) {
    return "error " + std::to_string(code) + " (" + ErrorMeaning(code) + ")";
}

}  // namespace pixora::cli
