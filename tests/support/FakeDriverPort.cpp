#include "FakeDriverPort.h"

#include <chrono>
#include <cstring>

#include "driver/WireProtocol.h"

namespace pixora::test {

namespace {

constexpr std::chrono::seconds kProgressLimit{20};

int IndexOfPath(const std::string& path) {
    const std::string prefix = std::string("\\\\.\\") + wire::kDeviceBaseName + "-";
    if (path.rfind(prefix, 0) != 0 || path.size() != prefix.size() + 1) {
        return -1;
    }
    const char digit = path.back();
    return digit >= '0' && digit <= '9' ? digit - '0' : -1;
}

uint32_t PipeOf(const std::vector<uint8_t>& in) {
    if (in.size() != 4) {
        return 0xFFFFFFFF;
    }
    return in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

}  // namespace

FakeDriverPort::FakeDriverPort() = default;

DriverHandle FakeDriverPort::Open(const char* path) {
    std::lock_guard lock(mutex_);
    Request request;
    request.kind = Request::kOpen;
    request.path = path;
    const int index = IndexOfPath(path);
    if (index >= 0 && present_.count(index) != 0 && !openFails_) {
        request.handle = reinterpret_cast<DriverHandle>(nextHandle_++);
        open_.insert(request.handle);
    }
    log_.push_back(request);
    return request.handle;
}

void FakeDriverPort::Close(DriverHandle handle) {
    std::lock_guard lock(mutex_);
    Request request;
    request.kind = Request::kClose;
    request.handle = handle;
    open_.erase(handle);
    log_.push_back(request);
    changed_.notify_all();
}

bool FakeDriverPort::Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inSize,
                             void* out, uint32_t outSize, uint32_t* bytesReturned,
                             TransferStatus* why) {
    TransferStatus ignored;
    TransferStatus& status = why != nullptr ? *why : ignored;
    status = TransferStatus::Failed;
    std::unique_lock lock(mutex_);
    Request request;
    request.kind = Request::kControl;
    request.handle = handle;
    request.code = code;
    const auto* inBytes = static_cast<const uint8_t*>(in);
    request.in.assign(inBytes, inBytes + inSize);
    request.outSize = outSize;
    request.out = out;
    *bytesReturned = 0;
    const bool known = open_.count(handle) != 0;
    if (code == wire::kCodeSetTimeout) {
        log_.push_back(request);
        if (known && inSize == wire::kTimeoutRequestSize) {
            std::memcpy(&timeoutMs_, inBytes + 4, 4);
        }
        return known;
    }
    const uint32_t pipe = PipeOf(request.in);
    if (pipe == wire::kPipeCommand) {
        const auto* block = static_cast<const uint8_t*>(out);
        request.block.assign(block, block + outSize);
        log_.push_back(request);
        const bool fails =
            commandFails_ || (outSize > 0 && failCommand_ == static_cast<int>(block[0]));
        if (!known || fails || outSize != wire::kBlockSize) {
            return false;
        }
        *bytesReturned = outSize;
        return true;
    }
    log_.push_back(request);
    if (!known) {
        return false;
    }
    if (pipe == wire::kPipeReply) {
        auto* reply = static_cast<uint8_t*>(out);
        std::memset(reply, 0, outSize);
        if (outSize > 0) {
            reply[0] = replyByte0_;
        }
        *bytesReturned = std::min(replyBytes_, outSize);
        return true;
    }
    if (pipe == wire::kPipeImage) {
        return FrameRead(out, outSize, bytesReturned, &status, lock);
    }
    return false;
}

bool FakeDriverPort::FrameRead(void* out, uint32_t outSize, uint32_t* bytesReturned,
                               TransferStatus* status, std::unique_lock<std::mutex>& lock) {
    const int64_t number = ++framesStarted_;
    changed_.notify_all();
    if (failFramesAfter_ >= 0 && number > failFramesAfter_) {
        return false;
    }
    if (gated_) {
        const auto limit = std::chrono::milliseconds(timeoutMs_);
        if (!changed_.wait_for(lock, limit, [&] { return releasedFrames_ > 0 || !gated_; })) {
            *status = TransferStatus::TimedOut;
            return false;  // the driver's time-out ends a stalled transfer
        }
        if (gated_) {
            --releasedFrames_;
        }
    }
    const uint32_t bytes = outSize > frameShortBy_ ? outSize - frameShortBy_ : 0;
    // Every byte of frame n holds n (mod 256), so a torn copy shows.
    lock.unlock();
    std::memset(out, static_cast<int>(number & 0xFF), bytes);
    lock.lock();
    ++framesCompleted_;
    changed_.notify_all();
    *bytesReturned = bytes;
    return true;
}

void FakeDriverPort::SetPresent(std::set<int> indexes) {
    std::lock_guard lock(mutex_);
    present_ = std::move(indexes);
}

void FakeDriverPort::SetOpenFails(bool fails) {
    std::lock_guard lock(mutex_);
    openFails_ = fails;
}

void FakeDriverPort::SetCommandFails(bool fails) {
    std::lock_guard lock(mutex_);
    commandFails_ = fails;
}

void FakeDriverPort::FailCommandNumber(int number) {
    std::lock_guard lock(mutex_);
    failCommand_ = number;
}

void FakeDriverPort::SetReplyBytes(uint32_t bytes) {
    std::lock_guard lock(mutex_);
    replyBytes_ = bytes;
}

void FakeDriverPort::SetReplyByte0(uint8_t value) {
    std::lock_guard lock(mutex_);
    replyByte0_ = value;
}

void FakeDriverPort::SetFrameShortBy(uint32_t bytes) {
    std::lock_guard lock(mutex_);
    frameShortBy_ = bytes;
}

void FakeDriverPort::FailFramesAfter(int64_t frames) {
    std::lock_guard lock(mutex_);
    failFramesAfter_ = frames;
}

void FakeDriverPort::SetGated(bool gated) {
    std::lock_guard lock(mutex_);
    gated_ = gated;
    changed_.notify_all();
}

void FakeDriverPort::ReleaseFrames(int count) {
    std::lock_guard lock(mutex_);
    releasedFrames_ += count;
    changed_.notify_all();
}

void FakeDriverPort::SetDefaultTimeout(uint32_t ms) {
    std::lock_guard lock(mutex_);
    timeoutMs_ = ms;
}

std::vector<Request> FakeDriverPort::Log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void FakeDriverPort::ClearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

std::vector<CommandBlock> FakeDriverPort::Commands() const {
    std::vector<CommandBlock> blocks;
    for (const Request& r : Log()) {
        if (r.kind == Request::kControl && r.code == wire::kCodePipeSecond &&
            PipeOf(r.in) == wire::kPipeCommand && r.block.size() == wire::kBlockSize) {
            CommandBlock block{};
            std::memcpy(block.data(), r.block.data(), wire::kBlockSize);
            blocks.push_back(block);
        }
    }
    return blocks;
}

std::vector<WireRegisterWrite> FakeDriverPort::RegisterWrites() const {
    std::vector<WireRegisterWrite> writes;
    for (const CommandBlock& b : Commands()) {
        if (b[0] == wire::kCmdWriteRegister) {
            const uint32_t word =
                b[2] | (b[3] << 8) | (b[4] << 16) | (static_cast<uint32_t>(b[5]) << 24);
            writes.push_back({b[1], word});
        }
    }
    return writes;
}

std::vector<uint32_t> FakeDriverPort::Codes() const {
    std::vector<uint32_t> codes;
    for (const Request& r : Log()) {
        if (r.kind == Request::kControl) {
            codes.push_back(r.code);
        }
    }
    return codes;
}

int64_t FakeDriverPort::FramesCompleted() const {
    std::lock_guard lock(mutex_);
    return framesCompleted_;
}

int64_t FakeDriverPort::FrameReadsStarted() const {
    std::lock_guard lock(mutex_);
    return framesStarted_;
}

int FakeDriverPort::OpenHandles() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(open_.size());
}

uint32_t FakeDriverPort::TimeoutMs() const {
    std::lock_guard lock(mutex_);
    return timeoutMs_;
}

bool FakeDriverPort::WaitFrameReadsStarted(int64_t count) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kProgressLimit, [&] { return framesStarted_ >= count; });
}

bool FakeDriverPort::WaitFramesCompleted(int64_t count) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kProgressLimit, [&] { return framesCompleted_ >= count; });
}

}  // namespace pixora::test
