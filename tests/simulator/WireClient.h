// A minimal host for the tests: speaks the driver protocol to a DriverPort the way the
// device layer does, one request at a time.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/ControlDriver.h"
#include "driver/WireProtocol.h"

namespace pixora::test {

using Block = std::array<uint8_t, 64>;

inline std::string DevicePath(int index) {
    return std::string(wire::kDevicePathPrefix) + std::to_string(index);
}

inline Block MakeBlock(uint8_t command, std::initializer_list<uint8_t> parameters = {}) {
    Block block{};
    block[0] = command;
    size_t i = 1;
    for (uint8_t p : parameters) {
        block[i++] = p;
    }
    return block;
}

inline Block RegisterWriteBlock(uint32_t address, uint32_t value, uint32_t bitCount) {
    const uint32_t valueBits = bitCount - 10;
    const uint32_t mask = valueBits >= 32 ? 0xFFFFFFFFu : (1u << valueBits) - 1u;
    const uint32_t word = ((value & mask) << 10) | (address & 0x3FF);
    Block block{};
    block[0] = wire::kCmdWriteRegister;
    block[1] = static_cast<uint8_t>(bitCount);
    for (int i = 0; i < 4; ++i) {
        block[2 + i] = static_cast<uint8_t>(word >> (8 * i));
    }
    return block;
}

inline Block TransferSizeBlock(uint32_t samples) {
    Block block{};
    block[0] = wire::kCmdSetTransferSize;
    for (int i = 0; i < 4; ++i) {
        block[1 + i] = static_cast<uint8_t>(samples >> (8 * i));
    }
    return block;
}

class WireClient {
public:
    WireClient(ControlDriver& port, int index)
        : port_(port), handle_(port.Open(DevicePath(index).c_str())) {}
    ~WireClient() { Close(); }
    WireClient(const WireClient&) = delete;
    WireClient& operator=(const WireClient&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    DriverHandle Handle() const { return handle_; }
    void Close() {
        if (handle_ != nullptr) {
            port_.Close(handle_);
            handle_ = nullptr;
        }
    }

    bool Pipe(uint32_t code, uint32_t pipe, void* data, uint32_t size, uint32_t* returned) {
        uint8_t pipeBytes[4] = {static_cast<uint8_t>(pipe), 0, 0, 0};
        return port_.Control(handle_, code, pipeBytes, sizeof pipeBytes, data, size, returned);
    }

    bool Send(Block block, uint32_t code = wire::kCodePipeSecond) {
        uint32_t returned = 0;
        return Pipe(code, wire::kPipeCommand, block.data(), 64, &returned) && returned == 64;
    }

    bool WriteRegister(uint32_t address, uint32_t value) {
        return Send(RegisterWriteBlock(address, value, wire::RegisterValueBits(address) + 10));
    }

    bool SetGainAndExposure(uint32_t gain, uint32_t exposure) {
        return WriteRegister(6, gain & 0x3F) && WriteRegister(7, (gain >> 6) & 0xF) &&
               WriteRegister(158, exposure & 0x3F) && WriteRegister(159, (exposure >> 6) & 0x3F);
    }

    bool Reply(Block& reply, uint32_t* returned) {
        return Pipe(wire::kCodePipeFirst, wire::kPipeReply, reply.data(), 64, returned);
    }

    bool SetTimeout(uint32_t ms) {
        uint32_t words[11] = {1, ms};
        uint32_t returned = 99;
        return port_.Control(handle_, wire::kCodeSetTimeout, words, sizeof words, nullptr, 0,
                             &returned);
    }

    // Reads one frame into `frame` (resized to `size`); returns the driver's result.
    bool ReadFrame(std::vector<uint8_t>& frame, uint32_t size, uint32_t* returned) {
        frame.assign(size, 0xAA);
        return Pipe(wire::kCodePipeSecond, wire::kPipeImage, frame.data(), size, returned);
    }

private:
    ControlDriver& port_;
    DriverHandle handle_;
};

inline constexpr uint32_t kFullFrame8 = wire::kDefaultTransferSamples;
inline constexpr uint32_t kFullFrame10 = wire::kDefaultTransferSamples * 2;

// Byte offset of sensor sample (x, y) in a frame.
inline size_t SampleOffset(uint32_t x, uint32_t y, uint32_t bytesPerSample) {
    return (static_cast<size_t>(wire::kActiveLine + y) * wire::kLinePitch + wire::kActiveColumn +
            x) *
           bytesPerSample;
}

}  // namespace pixora::test
