#include "driver/ControlDriverPort.h"

namespace pixora {

namespace {

class ControlConnection final : public DriverConnection {
public:
    ControlConnection(ControlDriver& driver, DriverHandle handle)
        : driver_(driver), handle_(handle) {}
    ~ControlConnection() override { driver_.Close(handle_); }

    TransferResult Transfer(const PipeRequest& request) override {
        const auto input = PipeRequestInput(request.pipe);
        TransferResult result;
        TransferStatus why = TransferStatus::Failed;
        const bool accepted = driver_.Control(handle_, ControlCodeOf(request.code), input.data(),
                                              static_cast<uint32_t>(input.size()), request.data,
                                              request.size, &result.bytes, &why);
        result.status = accepted ? TransferStatus::Done : why;
        if (result.status == TransferStatus::Done && !accepted)
            result.status = TransferStatus::Failed;
        return result;
    }

    void SetTransferTimeout(uint32_t milliseconds) override {
        const auto input = TimeoutRequestInput(milliseconds);
        uint32_t returned = 0;
        driver_.Control(handle_, wire::kCodeSetTimeout, input.data(),
                        static_cast<uint32_t>(input.size()), nullptr, 0, &returned);
    }

    void Cancel() override { driver_.CancelPending(handle_); }

private:
    ControlDriver& driver_;
    DriverHandle handle_;
};

void PutLittleEndian(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace

std::array<uint8_t, wire::kPipeRequestSize> PipeRequestInput(uint32_t pipe) {
    std::array<uint8_t, wire::kPipeRequestSize> input{};
    PutLittleEndian(input.data(), pipe);
    return input;
}

std::array<uint8_t, wire::kTimeoutRequestSize> TimeoutRequestInput(uint32_t milliseconds) {
    std::array<uint8_t, wire::kTimeoutRequestSize> input{};
    PutLittleEndian(input.data(), 1);
    PutLittleEndian(input.data() + 4, milliseconds);
    return input;
}

OpenResult ControlDriverPort::Open(const char* path) {
    OpenResult result;
    if (path == nullptr || path[0] == '\0') {
        return result;
    }
    DriverHandle handle = driver_.Open(path);
    if (handle != nullptr) {
        result.connection = std::make_unique<ControlConnection>(driver_, handle);
    } else {
        result.detail = std::string("no camera answers at ") + path;
    }
    return result;
}

}  // namespace pixora
