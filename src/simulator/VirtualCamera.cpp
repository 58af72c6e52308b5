#include "simulator/VirtualCamera.h"

#include <algorithm>
#include <cstring>

namespace pixora {

namespace {

uint32_t LittleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

bool IsPipeCode(uint32_t code) {
    return code == wire::kCodePipeFirst || code == wire::kCodePipeSecond ||
           code == wire::kCodePipeFirstAlt || code == wire::kCodePipeSecondAlt;
}

// Replies come with the first code of a pair, image data with the second; command blocks
// come with either (the frame request uses the first, every other command the second).
bool IsFirstOfPair(uint32_t code) {
    return code == wire::kCodePipeFirst || code == wire::kCodePipeFirstAlt;
}

// What a refused request tells the host. A stalled camera's reads end at the time-out.
TransferStatus StatusOf(RequestOutcome outcome) {
    switch (outcome) {
        case RequestOutcome::TimedOut:
            return TransferStatus::TimedOut;
        case RequestOutcome::Cancelled:
            return TransferStatus::Cancelled;
        case RequestOutcome::NoDevice:
            return TransferStatus::NoDevice;
        default:
            return TransferStatus::Failed;
    }
}

void Finish(RequestRecord& record, bool result, RequestOutcome outcome) {
    record.result = result;
    record.outcome = outcome;
}

}  // namespace

VirtualCamera::VirtualCamera(int index, std::atomic<uint64_t>& sequence)
    : index_(index), sequence_(sequence) {
    Reset();
}

bool VirtualCamera::AttachedLocked() const {
    return present_ && !faults_.Absent() && !faults_.VanishNow();
}

bool VirtualCamera::UsableLocked(const OpenHandle& handle) const {
    return !handle.closed.load() && handle.generation == generation_ && AttachedLocked();
}

void VirtualCamera::ReconcileLocked(bool wasAttached) {
    const bool attached = AttachedLocked();
    if (attached != wasAttached) {
        ++generation_;
        if (attached) {
            PowerOnLocked();
        }
    }
    changed_.notify_all();
}

void VirtualCamera::PowerOnLocked() {
    registers_.fill(0);
    sampleWidth_ = 0;
    transferSamples_ = wire::kDefaultTransferSamples;
    halfClock_ = false;
    triggerMode_ = false;
    pendingTriggers_ = 0;
    timeoutMs_ = defaultTimeoutMs_;
    nextFrame_ = Clock::now();
    pattern_.reset();
}

uint32_t VirtualCamera::EffectiveTimeoutLocked() const {
    return maxWaitMs_ != 0 ? std::min(timeoutMs_, maxWaitMs_) : timeoutMs_;
}

VirtualCamera::Clock::duration VirtualCamera::FramePeriodLocked() const {
    const double seconds = (halfClock_ ? 2.0 : 1.0) / fps_;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void VirtualCamera::Reset() {
    log_.Clear();
    std::lock_guard lock(mutex_);
    present_ = index_ == 0;
    fps_ = kDefaultFps;
    scene_ = SceneKind::Bars;
    defaultTimeoutMs_ = kDefaultTimeoutMs;
    maxWaitMs_ = 0;
    faults_.Clear();
    ++generation_;
    PowerOnLocked();
    frameSequence_ = 0;
    counters_ = CameraCounters{};
    commandCounts_.fill(0);
    changed_.notify_all();
}

uint64_t VirtualCamera::CommandCount(int number) const {
    std::lock_guard lock(mutex_);
    if (number < 0) {
        uint64_t total = 0;
        for (const uint64_t count : commandCounts_) {
            total += count;
        }
        return total;
    }
    return number < 256 ? commandCounts_[static_cast<size_t>(number)] : 0;
}

void VirtualCamera::ClearLog() {
    std::lock_guard lock(mutex_);
    log_.Clear();
    commandCounts_.fill(0);
}

void VirtualCamera::SetPresent(bool present) {
    std::lock_guard lock(mutex_);
    const bool was = AttachedLocked();
    present_ = present;
    ReconcileLocked(was);
}

bool VirtualCamera::SetFps(double fps) {
    if (!(fps >= 0.0 && fps <= 10000.0)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    fps_ = fps;
    nextFrame_ = Clock::now();
    changed_.notify_all();
    return true;
}

void VirtualCamera::SetScene(SceneKind scene) {
    std::lock_guard lock(mutex_);
    scene_ = scene;
}

bool VirtualCamera::SetDefaultTimeout(uint32_t ms) {
    if (ms == 0) {
        return false;
    }
    std::lock_guard lock(mutex_);
    defaultTimeoutMs_ = ms;
    timeoutMs_ = ms;
    return true;
}

void VirtualCamera::SetMaxWait(uint32_t ms) {
    std::lock_guard lock(mutex_);
    maxWaitMs_ = ms;
    changed_.notify_all();
}

bool VirtualCamera::SetFault(FaultKind kind, int32_t argument) {
    std::lock_guard lock(mutex_);
    const bool was = AttachedLocked();
    if (!faults_.Set(kind, argument)) {
        return false;
    }
    ReconcileLocked(was);
    return true;
}

bool VirtualCamera::Trigger() {
    std::lock_guard lock(mutex_);
    if (!AttachedLocked()) {
        return false;
    }
    ++counters_.triggers;
    if (triggerMode_ && pendingTriggers_ < kMaxPendingTriggers) {
        ++pendingTriggers_;
        changed_.notify_all();
    }
    return true;
}

CameraStatus VirtualCamera::Status() const {
    std::lock_guard lock(mutex_);
    CameraStatus status;
    status.present = present_;
    status.attached = AttachedLocked();
    status.triggerMode = triggerMode_;
    status.halfClock = halfClock_;
    status.sampleWidth = sampleWidth_;
    status.transferSamples = transferSamples_;
    status.timeoutMs = timeoutMs_;
    status.gain = GainLocked();
    status.exposure = ExposureLocked();
    status.pendingTriggers = pendingTriggers_;
    status.readsWaiting = readsWaiting_;
    status.fps = fps_;
    status.scene = scene_;
    status.faultMask = faults_.ActiveMask();
    status.counters = counters_;
    return status;
}

std::optional<uint32_t> VirtualCamera::ReadRegister(uint32_t address) const {
    if (wire::RegisterValueBits(address) == 0) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    return registers_[address];
}

bool VirtualCamera::Open(uintptr_t handleValue, uint64_t& generation) {
    RequestRecord record;
    record.sequence = sequence_.fetch_add(1) + 1;
    record.kind = RequestKind::Open;
    {
        std::lock_guard lock(mutex_);
        if (!AttachedLocked()) {
            Finish(record, false, RequestOutcome::NoDevice);
        } else if (faults_.TakeOpenFailure()) {
            Finish(record, false, RequestOutcome::Injected);
        } else {
            ++counters_.opens;
            generation = generation_;
            record.handle = handleValue;
            Finish(record, true, RequestOutcome::Done);
        }
    }
    log_.Append(record);
    return record.result;
}

void VirtualCamera::Cancel(OpenHandle& handle) {
    std::lock_guard lock(mutex_);
    handle.cancels.fetch_add(1);
    changed_.notify_all();
}

void VirtualCamera::Closed(const OpenHandle& handle) {
    RequestRecord record;
    record.sequence = sequence_.fetch_add(1) + 1;
    record.kind = RequestKind::Close;
    record.handle = handle.value;
    Finish(record, true, RequestOutcome::Done);
    {
        std::lock_guard lock(mutex_);
        changed_.notify_all();
    }
    log_.Append(record);
}

bool VirtualCamera::Control(const OpenHandle& handle, uint32_t code, const void* in,
                            uint32_t inSize, void* out, uint32_t outSize, uint32_t& bytesReturned,
                            TransferStatus& why) {
    RequestRecord record;
    record.sequence = sequence_.fetch_add(1) + 1;
    record.handle = handle.value;
    record.code = code;
    record.inSize = inSize;
    record.outSize = outSize;

    if (code == wire::kCodeSetTimeout) {
        record.kind = RequestKind::Timeout;
        HandleTimeout(handle, in, inSize, record);
    } else if (!IsPipeCode(code) || in == nullptr || inSize != wire::kPipeRequestSize) {
        record.kind = RequestKind::Invalid;
        Finish(record, false, RequestOutcome::Rejected);
    } else {
        const uint32_t pipe = LittleEndian32(static_cast<const uint8_t*>(in));
        record.pipe = pipe <= 0x7FFFFFFF ? static_cast<int32_t>(pipe) : -1;
        if (pipe == wire::kPipeCommand) {
            record.kind = RequestKind::Command;
            HandleCommand(handle, out, outSize, record);
        } else if (pipe == wire::kPipeReply) {
            record.kind = RequestKind::Reply;
            if (IsFirstOfPair(code)) {
                HandleReply(handle, out, outSize, record);
            } else {
                Finish(record, false, RequestOutcome::Rejected);
            }
        } else if (pipe == wire::kPipeImage) {
            record.kind = RequestKind::Frame;
            if (!IsFirstOfPair(code)) {
                HandleFrame(handle, out, outSize, record);
            } else {
                Finish(record, false, RequestOutcome::Rejected);
            }
        } else {
            record.kind = RequestKind::Invalid;
            Finish(record, false, RequestOutcome::Rejected);
        }
    }
    if (!record.result) {
        record.bytesReturned = 0;
    }
    bytesReturned = record.bytesReturned;
    why = record.result ? TransferStatus::Done : StatusOf(record.outcome);
    if (!record.result && record.kind == RequestKind::Frame &&
        record.outcome == RequestOutcome::Injected) {
        why = TransferStatus::TimedOut;  // a stalled read ends at the driver's time-out
    }
    log_.Append(record);
    return record.result;
}

bool VirtualCamera::AdmitLocked(const OpenHandle& handle, bool wellFormed,
                                RequestRecord& record) const {
    if (!UsableLocked(handle)) {
        Finish(record, false, RequestOutcome::NoDevice);
        return false;
    }
    if (!wellFormed) {
        Finish(record, false, RequestOutcome::Rejected);
        return false;
    }
    return true;
}

void VirtualCamera::HandleTimeout(const OpenHandle& handle, const void* in, uint32_t inSize,
                                  RequestRecord& record) {
    std::lock_guard lock(mutex_);
    if (!AdmitLocked(handle, in != nullptr && inSize == wire::kTimeoutRequestSize, record))
        return;
    const auto* bytes = static_cast<const uint8_t*>(in);
    record.blockSize = wire::kTimeoutRequestSize;
    std::memcpy(record.block.data(), bytes, wire::kTimeoutRequestSize);
    if (LittleEndian32(bytes) != 1) {
        Finish(record, false, RequestOutcome::Rejected);
        return;
    }
    // 0 would mean waiting without end; the camera takes it as its default instead.
    const uint32_t ms = LittleEndian32(bytes + 4);
    timeoutMs_ = ms != 0 ? ms : defaultTimeoutMs_;
    Finish(record, true, RequestOutcome::Done);
}

void VirtualCamera::HandleCommand(const OpenHandle& handle, const void* out, uint32_t outSize,
                                  RequestRecord& record) {
    std::lock_guard lock(mutex_);
    if (!AdmitLocked(handle, out != nullptr, record))
        return;
    record.blockSize = std::min(outSize, wire::kBlockSize);
    std::memcpy(record.block.data(), out, record.blockSize);
    if (outSize != wire::kBlockSize) {
        Finish(record, false, RequestOutcome::Rejected);
        return;
    }
    if (faults_.TakeCommandFailure(record.block[0])) {
        Finish(record, false, RequestOutcome::Injected);
        return;
    }
    record.command = DecodeCommand(record.block);
    if (record.command.kind == CommandKind::RequestFrame) {
        // The requested frame is taken with the registers of this moment; writes that come
        // later apply from the next request on.
        handle.requested = true;
        handle.requestedGain = GainLocked();
        handle.requestedExposure = ExposureLocked();
    }
    ApplyCommandLocked(record.command);
    ++counters_.commands;
    ++commandCounts_[record.block[0]];
    record.bytesReturned = wire::kBlockSize;
    Finish(record, true, RequestOutcome::Done);
}

void VirtualCamera::ApplyCommandLocked(const DecodedCommand& command) {
    switch (command.kind) {
        case CommandKind::WriteRegister:
            if (command.accepted) {
                registers_[command.address] = command.value;
            }
            break;
        case CommandKind::InitDevice:
            // The interface logic restarts: free-running, no pulses kept, timing anew.
            triggerMode_ = false;
            pendingTriggers_ = 0;
            nextFrame_ = Clock::now();
            break;
        case CommandKind::SetTransferSize:
            transferSamples_ = std::min(command.argument, wire::kMaxTransferSamples);
            break;
        case CommandKind::SetSampleWidth:
            sampleWidth_ = command.argument != 0 ? 1 : 0;
            break;
        case CommandKind::SetClock:
            halfClock_ = command.argument != 0;
            nextFrame_ = Clock::now();
            break;
        case CommandKind::SetTrigger:
            triggerMode_ = command.argument != 0;
            pendingTriggers_ = 0;
            nextFrame_ = Clock::now();
            break;
        case CommandKind::RequestFrame:
        case CommandKind::QueryClock:
        case CommandKind::Unknown:
            break;
    }
    changed_.notify_all();
}

void VirtualCamera::HandleReply(const OpenHandle& handle, void* out, uint32_t outSize,
                                RequestRecord& record) {
    std::lock_guard lock(mutex_);
    if (!AdmitLocked(handle, out != nullptr && outSize >= wire::kBlockSize, record))
        return;
    // Byte 0 answers the clock query; the camera keeps it current in every reply.
    CommandBlockBytes reply{};
    reply[0] = halfClock_ ? 1 : 0;
    const std::optional<uint32_t> shortBytes = faults_.ShortReplyBytes();
    const uint32_t bytes = shortBytes.value_or(wire::kBlockSize);
    std::memcpy(out, reply.data(), bytes);
    record.block = reply;
    record.blockSize = bytes;
    record.bytesReturned = bytes;
    ++counters_.replies;
    Finish(record, true, shortBytes ? RequestOutcome::Injected : RequestOutcome::Done);
}

std::shared_ptr<const ScenePattern> VirtualCamera::PatternFor(
    std::unique_lock<std::mutex>& lock,
    const std::optional<std::pair<uint32_t, uint32_t>>& gainAndExposure) {
    PatternKey key;
    key.scene = scene_ == SceneKind::Moving ? SceneKind::Bars : scene_;
    key.bytesPerSample = sampleWidth_ != 0 ? 2 : 1;
    key.gain = gainAndExposure ? gainAndExposure->first : GainLocked();
    key.exposure = gainAndExposure ? gainAndExposure->second : ExposureLocked();
    if (pattern_ && pattern_->Key() == key) {
        return pattern_;
    }
    // Building the sensor image takes a millisecond or more: commands must not wait for it.
    std::shared_ptr<const SceneMosaic> mosaic = mosaic_;
    lock.unlock();
    if (!mosaic || mosaic->Scene() != key.scene) {
        mosaic = std::make_shared<const SceneMosaic>(key.scene);
    }
    auto built = std::make_shared<const ScenePattern>(*mosaic, key);
    lock.lock();
    mosaic_ = std::move(mosaic);
    pattern_ = built;
    return built;
}

uint32_t VirtualCamera::RegisterPairLocked(uint32_t low, uint32_t high, uint32_t highMask) const {
    return (registers_[low] & 0x3F) | ((registers_[high] & highMask) << 6);
}

uint32_t VirtualCamera::GainLocked() const {
    return RegisterPairLocked(wire::kRegGainLow, wire::kRegGainHigh, 0xF);
}

uint32_t VirtualCamera::ExposureLocked() const {
    return RegisterPairLocked(wire::kRegExposureLow, wire::kRegExposureHigh, 0x3F);
}

ReadoutStart VirtualCamera::ReadoutStartLocked() const {
    return ReadoutStart{
        RegisterPairLocked(wire::kRegColumnStartLow, wire::kRegColumnStartHigh, 0x3F),
        RegisterPairLocked(wire::kRegRowStartLow, wire::kRegRowStartHigh, 0x3F)};
}

void VirtualCamera::HandleFrame(const OpenHandle& handle, void* out, uint32_t outSize,
                                RequestRecord& record) {
    std::unique_lock lock(mutex_);
    if (!AdmitLocked(handle, out != nullptr, record))
        return;

    // Wait for the frame: at once, at the next frame time, or at the next trigger pulse;
    // the driver's time-out bounds the wait, and a cancel from the host ends it.
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(EffectiveTimeoutLocked());
    const uint64_t cancels = handle.cancels.load();
    for (;;) {
        if (!UsableLocked(handle)) {
            ++counters_.framesFailed;
            Finish(record, false, RequestOutcome::NoDevice);
            return;
        }
        if (handle.cancels.load() != cancels) {
            ++counters_.framesFailed;
            Finish(record, false, RequestOutcome::Cancelled);
            return;
        }
        const Clock::time_point now = Clock::now();
        Clock::time_point wakeAt = deadline;
        bool ready = false;
        if (faults_.Stalled()) {
            ready = false;
        } else if (triggerMode_) {
            if (pendingTriggers_ > 0) {
                --pendingTriggers_;
                ready = true;
            }
        } else if (fps_ <= 0.0 || now >= nextFrame_) {
            ready = true;
            if (fps_ > 0.0) {
                nextFrame_ = std::max(now, nextFrame_) + FramePeriodLocked();
            }
        } else {
            wakeAt = std::min(deadline, nextFrame_);
        }
        if (ready) {
            break;
        }
        if (now >= deadline) {
            ++counters_.framesFailed;
            Finish(record, false,
                   faults_.Stalled() ? RequestOutcome::Injected : RequestOutcome::TimedOut);
            return;
        }
        ++readsWaiting_;
        changed_.wait_until(lock, wakeAt);
        --readsWaiting_;
    }

    const uint64_t sequence = ++frameSequence_;
    record.frameSequence = sequence;
    const uint64_t expected =
        static_cast<uint64_t>(transferSamples_) * (sampleWidth_ != 0 ? 2u : 1u);
    if (outSize < expected) {
        // The camera sends more than the request holds: the transfer fails as an overrun.
        ++counters_.framesFailed;
        Finish(record, false, RequestOutcome::Overflow);
        return;
    }
    uint64_t deliver = expected;
    const std::optional<uint32_t> shortBytes = faults_.ShortFrameBytes();
    if (shortBytes) {
        deliver = std::min<uint64_t>(*shortBytes, expected > 0 ? expected - 1 : 0);
    }
    const uint32_t shift = SceneShift(scene_, sequence);
    const ReadoutStart start = ReadoutStartLocked();
    // A frame the host requested keeps the settings of its request; any other starts now.
    std::optional<std::pair<uint32_t, uint32_t>> requested;
    if (handle.requested) {
        requested.emplace(handle.requestedGain, handle.requestedExposure);
        handle.requested = false;
    }
    const std::shared_ptr<const ScenePattern> pattern = PatternFor(lock, requested);

    lock.unlock();
    WriteFrame(*pattern, shift, start, sequence, static_cast<uint8_t*>(out), deliver);
    lock.lock();

    record.bytesReturned = static_cast<uint32_t>(deliver);
    if (shortBytes) {
        ++counters_.framesShort;
        Finish(record, true, RequestOutcome::Injected);
        return;
    }
    ++counters_.framesSent;
    Finish(record, true, RequestOutcome::Done);
    const bool was = AttachedLocked();
    if (faults_.TakeVanishAfterFrame()) {
        ReconcileLocked(was);
    }
}

}  // namespace pixora
