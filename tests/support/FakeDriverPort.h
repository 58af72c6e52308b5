// A driver that records every request it receives, for checking exact bytes, codes and
// order on the wire: the kernel driver's request surface, which the device layer reaches
// through Port(). Cameras sit at chosen indexes; commands, replies and frames can be made
// to fail, come short or stall; frames can be released one at a time.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "device/DriverAccess.h"
#include "driver/ControlDriver.h"
#include "driver/ControlDriverPort.h"

namespace pixora::test {

struct Request {
    enum Kind { kOpen, kControl, kClose } kind = kControl;
    std::string path;  // open
    DriverHandle handle = nullptr;
    uint32_t code = 0;
    std::vector<uint8_t> in;  // control input bytes
    uint32_t outSize = 0;
    const void* out = nullptr;   // where the driver was asked to write or read
    std::vector<uint8_t> block;  // pipe 0: the command block as sent
};

// Decoded register write from a command block.
struct WireRegisterWrite {
    uint32_t bitCount;
    uint32_t word;
    uint32_t reg() const { return word & 0x3FF; }
    uint32_t value() const { return word >> 10; }
};

class FakeDriverPort : public ControlDriver {
public:
    FakeDriverPort();

    DriverHandle Open(const char* path) override;
    bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                 uint32_t outSize, uint32_t* bytesReturned, TransferStatus* why = nullptr) override;
    void Close(DriverHandle handle) override;

    // The driver port over this driver, as the device layer takes it.
    DriverPort& Port() { return port_; }

    // --- Set-up ---
    void SetPresent(std::set<int> indexes);
    void SetOpenFails(bool fails);       // present cameras refuse to open
    void SetCommandFails(bool fails);    // pipe-0 command blocks are refused
    void FailCommandNumber(int number);  // only command blocks with this byte 0 fail
    void SetReplyBytes(uint32_t bytes);  // bytes a reply read returns (64 = whole)
    void SetReplyByte0(uint8_t value);
    void SetFrameShortBy(uint32_t bytes);  // frames come this many bytes short
    void FailFramesAfter(int64_t frames);  // later frame reads fail (camera gone)
    // Gated frames: each pipe-2 read waits for a released frame or the driver time-out.
    void SetGated(bool gated);
    void ReleaseFrames(int count);
    void SetDefaultTimeout(uint32_t ms);

    // --- Observation ---
    std::vector<Request> Log() const;
    void ClearLog();
    // Command blocks sent on pipe 0 with the command code, in order (frame requests of the
    // stream worker use the other code and are left out).
    std::vector<CommandBlock> Commands() const;
    std::vector<WireRegisterWrite> RegisterWrites() const;
    // Control requests with their codes, in order.
    std::vector<uint32_t> Codes() const;
    int64_t FramesCompleted() const;
    int64_t FrameReadsStarted() const;
    int OpenHandles() const;
    uint32_t TimeoutMs() const;
    // Waits until at least `count` frame reads have started (bounded, for progress).
    bool WaitFrameReadsStarted(int64_t count) const;
    bool WaitFramesCompleted(int64_t count) const;

private:
    bool FrameRead(void* out, uint32_t outSize, uint32_t* bytesReturned, TransferStatus* status,
                   std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::set<int> present_{0};
    bool openFails_ = false;
    bool commandFails_ = false;
    int failCommand_ = -1;
    uint32_t replyBytes_ = 64;
    uint8_t replyByte0_ = 0;
    uint32_t frameShortBy_ = 0;
    int64_t failFramesAfter_ = -1;
    bool gated_ = false;
    int64_t releasedFrames_ = 0;
    uint32_t timeoutMs_ = 3000;
    int64_t framesStarted_ = 0;
    int64_t framesCompleted_ = 0;
    uintptr_t nextHandle_ = 0x100;
    std::set<DriverHandle> open_;
    std::vector<Request> log_;
    ControlDriverPort port_{*this};
};

}  // namespace pixora::test
