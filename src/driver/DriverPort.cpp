#include "driver/DriverPort.h"

#include <cstdio>
#include <cstring>

namespace pixora {

namespace {

// One frame request and one read at a time, both through the connection's transfers.
class SequentialFrameStream final : public FrameStream {
public:
    SequentialFrameStream(DriverConnection& connection, const FrameStreamPlan& plan)
        : connection_(connection), plan_(plan) {}

    TransferResult Next(void* destination) override {
        SendFrameRequest(connection_, plan_);
        return connection_.Transfer(
            PipeRequest{wire::kPipeImage, destination, plan_.frameBytes, plan_.readCode});
    }

private:
    DriverConnection& connection_;
    const FrameStreamPlan plan_;
};

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* TransferStatusName(TransferStatus status) {
    switch (status) {
        case TransferStatus::Done:
            return "done";
        case TransferStatus::TimedOut:
            return "timed out";
        case TransferStatus::Cancelled:
            return "cancelled";
        case TransferStatus::NoDevice:
            return "device gone";
        case TransferStatus::Failed:
            break;
    }
    return "failed";
}

uint32_t ControlCodeOf(RequestCode code) {
    if (code.secondaryPair) {
        return code.second ? wire::kCodePipeSecondAlt : wire::kCodePipeFirstAlt;
    }
    return code.second ? wire::kCodePipeSecond : wire::kCodePipeFirst;
}

bool DriverPort::Probe(const char* path, std::string* detail) {
    OpenResult opened = Open(path);
    if (opened.connection == nullptr && detail != nullptr) {
        *detail = std::move(opened.detail);
    }
    return opened.connection != nullptr;
}

void SendFrameRequest(DriverConnection& connection, const FrameStreamPlan& plan) {
    // The driver reads the block through an output buffer: it gets a copy of its own.
    std::array<uint8_t, wire::kBlockSize> request = plan.request;
    const auto send = [&] {
        connection.Transfer(
            PipeRequest{wire::kPipeCommand, request.data(), wire::kBlockSize, plan.requestCode});
    };
    if (plan.sendRequest) {
        plan.sendRequest(send);
    } else {
        send();
    }
}

std::unique_ptr<FrameStream> DriverConnection::StartFrames(const FrameStreamPlan& plan) {
    return std::make_unique<SequentialFrameStream>(*this, plan);
}

std::string FormatDevicePath(const char* baseName, int32_t index) {
    char path[128];
    std::snprintf(path, sizeof path, "\\\\.\\%s-%d", baseName != nullptr ? baseName : "",
                  static_cast<int>(index));
    return path;
}

int CameraIndexOfPath(const char* path) {
    if (path == nullptr) {
        return -1;
    }
    const size_t prefixLength = sizeof wire::kDevicePathPrefix - 1;
    if (std::strlen(path) != prefixLength + 1) {
        return -1;
    }
    // Device names compare without regard to case, as the system's object names do.
    for (size_t i = 0; i < prefixLength; ++i) {
        if (LowerAscii(path[i]) != LowerAscii(wire::kDevicePathPrefix[i])) {
            return -1;
        }
    }
    const char digit = path[prefixLength];
    if (digit < '0' || digit >= '0' + wire::kCameraSlots) {
        return -1;
    }
    return digit - '0';
}

}  // namespace pixora
