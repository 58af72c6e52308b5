#include "device/PixoraDevice.h"

#include <algorithm>

#include "device/CommandBlocks.h"
#include "device/DeviceResult.h"

namespace pixora {

namespace {

// Registers this object writes itself.
using wire::kRegColumnStartHigh;
using wire::kRegColumnStartLow;
using wire::kRegExposureHigh;
using wire::kRegExposureLow;
using wire::kRegGainHigh;
using wire::kRegGainLow;
using wire::kRegRowStartHigh;
using wire::kRegRowStartLow;
constexpr uint32_t kRegGainMode = 8;
constexpr uint32_t kRegTriggerControl = 32;
constexpr uint32_t kRegTriggerSource = 33;

constexpr uint32_t kFreeRunBit = 0x10;    // register 32, bit 4
constexpr uint32_t kTriggerNibble = 0xE;  // register 33, bits 0..3
constexpr uint32_t kFreeRunNibble = 0x1;

}  // namespace

PixoraDevice::PixoraDevice(DriverPort& port) : port_(port) {
    ProbeDevices();
    Open(0);
    SetGain(0);
    SetExposure(0);
    SetGainMode(0);
}

PixoraDevice::~PixoraDevice() {
    FreeResources();
}

// --- Device selection -------------------------------------------------------------------

void PixoraDevice::ProbeDevices() {
    for (int32_t index = 0; index < wire::kCameraSlots; ++index) {
        const std::string path = FormatDevicePath(wire::kDeviceBaseName, index);
        std::string reason;
        const bool present = port_.Probe(path.c_str(), &reason);
        present_[static_cast<std::size_t>(index)].store(present ? 1 : 0, std::memory_order_relaxed);
        if (index == 0) {
            std::lock_guard lock(pathMutex_);
            absenceReason_ = present ? std::string() : std::move(reason);
        }
    }
    currentIndex_.store(0, std::memory_order_relaxed);
}

bool PixoraDevice::IsPresent(int32_t index) const {
    if (index < 0 || index >= wire::kCameraSlots) {
        return false;
    }
    return present_[static_cast<std::size_t>(index)].load(std::memory_order_relaxed) != 0;
}

std::string PixoraDevice::AbsenceReason() const {
    std::lock_guard lock(pathMutex_);
    return absenceReason_;
}

DriverConnectionPtr PixoraDevice::OpenNoted() {
    const std::string path = DevicePath();
    std::string detail;
    DriverConnectionPtr connection = DriverOpen(port_, path.c_str(), &detail);
    if (connection == nullptr) {
        failures_.Note(detail.empty() ? "the camera " + path + " does not open" : detail);
    }
    return connection;
}

int32_t PixoraDevice::SendNoted(DriverConnection* connection, const CommandBlock& block) {
    TransferResult outcome;
    const int32_t result = SendCommand(connection, block, &outcome);
    if (result == kDevCommandFailed) {
        failures_.NoteTransfer("the command block", outcome, wire::kBlockSize);
    }
    return result;
}

std::string PixoraDevice::DevicePath() const {
    std::lock_guard lock(pathMutex_);
    return devicePath_;
}

int32_t PixoraDevice::Open(int32_t index) {
    {
        // Defaults, geometry and buffers belong to the transfer that runs: nothing is
        // reset under it.
        std::lock_guard lock(acquisitionMutex_);
        if (CaptureRunningLocked() || StreamRunningLocked()) {
            return kDevBusy;
        }
    }
    ResetDefaults();
    if (index < 0 || index >= wire::kCameraSlots) {
        return kDevBadIndex;
    }
    currentIndex_.store(index, std::memory_order_relaxed);
    {
        std::lock_guard lock(pathMutex_);
        devicePath_ = FormatDevicePath(wire::kDeviceBaseName, index);
    }
    SetSampleWidth(0);
    InitDevice();
    {
        std::lock_guard lock(acquisitionMutex_);
        window_ = CameraWindow{0, 0, kSensorWidth, kSensorHeight};
    }
    SetFrameGeometry(kLinePitch, kActiveColumn, kSensorWidth, kTotalLines, kActiveLine,
                     kSensorHeight, kDefaultSlotCount);
    SetTrigger(0);
    return kDevOk;
}

void PixoraDevice::ResetDefaults() {
    sampleWidth_.store(0, std::memory_order_relaxed);
    {
        // Nominal values until the geometry of the opened camera is set; the buffers are
        // not touched.
        std::lock_guard lock(acquisitionMutex_);
        geometry_.pitch = 1339;
        geometry_.activeColumn = 50;
        geometry_.activeWidth = 1280;
        geometry_.totalLines = 1040;
        geometry_.activeLine = 10;
        geometry_.activeHeight = 1028;
    }
    transferTimeoutMs_.store(kDefaultTransferTimeoutMs, std::memory_order_relaxed);
    lastElapsedMs_.store(0, std::memory_order_relaxed);
    captureWaitLimited_.store(0, std::memory_order_relaxed);
}

int32_t PixoraDevice::SetWindow(int32_t x, int32_t y, int32_t width, int32_t height,
                                int32_t subSample) {
    if (x < 0 || y < 0 || width < 4 || height < 3 ||
        static_cast<int64_t>(x) + width > kSensorWidth ||
        static_cast<int64_t>(y) + height > kSensorHeight || subSample < 0 || subSample > 3) {
        return 1;
    }
    {
        std::lock_guard lock(acquisitionMutex_);
        if (CaptureRunningLocked() || StreamRunningLocked()) {
            return kDevBusy;
        }
        window_ = CameraWindow{x, y, width, height};
    }
    // The sensor reads out from the window's start; the image keeps its place inside the
    // transferred frame.
    SetWindowStart(x, y);
    SetFrameGeometry(kLinePitch, kActiveColumn, width, kTotalLines, kActiveLine, height,
                     kDefaultSlotCount);
    return kDevOk;
}

CameraWindow PixoraDevice::Window() const {
    std::lock_guard lock(acquisitionMutex_);
    return window_;
}

// --- Parameters -------------------------------------------------------------------------

int32_t PixoraDevice::SendLocked(const CommandBlock& block) {
    DriverConnectionPtr connection = OpenNoted();
    return SendNoted(connection.get(), block);
}

int32_t PixoraDevice::Send(const CommandBlock& block) {
    std::lock_guard lock(commandMutex_);
    return SendLocked(block);
}

bool PixoraDevice::SetSampleWidth(uint32_t flag) {
    const uint8_t wide = flag != 0 ? 1 : 0;
    sampleWidth_.store(wide, std::memory_order_relaxed);
    Send(MakeCommand(wire::kCmdSetSampleWidth, wide));
    return true;
}

void PixoraDevice::SetTransferTimeout(uint32_t milliseconds) {
    transferTimeoutMs_.store(milliseconds, std::memory_order_relaxed);
    std::lock_guard lock(commandMutex_);
    DriverConnectionPtr connection = OpenNoted();
    SetDriverTimeout(connection.get(), milliseconds);
}

bool PixoraDevice::SetCaptureWaitLimited(uint32_t flag) {
    captureWaitLimited_.store(flag, std::memory_order_relaxed);
    return true;
}

int32_t PixoraDevice::InitDevice() {
    return Send(MakeCommand(wire::kCmdInitDevice));
}

// --- Registers --------------------------------------------------------------------------

bool PixoraDevice::WriteRegisterLocked(uint32_t reg, uint32_t value) {
    const std::optional<RegisterClass> cls = ClassifyRegister(reg);
    if (!cls) {
        return false;
    }
    const CommandBlock block =
        MakeRegisterWriteCommand(cls->bitCount, SerialWord(reg, value, *cls));
    if (SendLocked(block) != kDevOk) {
        return false;
    }
    registerCache_[reg].store(value, std::memory_order_relaxed);
    return true;
}

bool PixoraDevice::WriteRegister(uint32_t reg, uint32_t value) {
    if (!ClassifyRegister(reg)) {
        return false;
    }
    std::lock_guard lock(commandMutex_);
    return WriteRegisterLocked(reg, value);
}

bool PixoraDevice::ReadRegister(uint32_t reg, uint32_t& value) const {
    if (!ClassifyRegister(reg)) {
        return false;
    }
    value = registerCache_[reg].load(std::memory_order_relaxed);
    return true;
}

bool PixoraDevice::SetGain(int32_t gain) {
    const uint32_t g = static_cast<uint32_t>(gain);
    // Both halves go out under one lock so that two writers cannot mix their halves.
    std::lock_guard lock(commandMutex_);
    const bool low = WriteRegisterLocked(kRegGainLow, g & 0x3F);
    const bool high = WriteRegisterLocked(kRegGainHigh, (g >> 6) & 0xF);
    if (!low || !high) {
        return false;
    }
    gain_.store(static_cast<uint16_t>(g & 0x3FF), std::memory_order_relaxed);
    return true;
}

bool PixoraDevice::SetExposure(int32_t exposure) {
    uint32_t e = static_cast<uint16_t>(exposure);
    e = std::clamp<uint32_t>(e, kExposureMin, kExposureMax);
    std::lock_guard lock(commandMutex_);
    const bool low = WriteRegisterLocked(kRegExposureLow, e & 0x3F);
    const bool high = WriteRegisterLocked(kRegExposureHigh, (e >> 6) & 0x3F);
    if (!low || !high) {
        return false;
    }
    exposure_.store(static_cast<uint16_t>(e), std::memory_order_relaxed);
    return true;
}

CameraExposure PixoraDevice::ExposureLocked() const {
    const auto reg = [this](uint32_t r) {
        return registerCache_[r].load(std::memory_order_relaxed);
    };
    CameraExposure now;
    now.gain = static_cast<int32_t>((reg(kRegGainLow) & 0x3F) | ((reg(kRegGainHigh) & 0xF) << 6));
    now.exposure =
        static_cast<int32_t>((reg(kRegExposureLow) & 0x3F) | ((reg(kRegExposureHigh) & 0x3F) << 6));
    return now;
}

CameraExposure PixoraDevice::RequestFrame(const std::function<void()>& sendRequest) {
    // Register writes go out under this lock, whichever path makes them (SetGain, the
    // register export): the request falls between two of them, never inside one.
    std::lock_guard lock(commandMutex_);
    sendRequest();
    return ExposureLocked();
}

CameraExposure PixoraDevice::CurrentExposure() {
    std::lock_guard lock(commandMutex_);
    return ExposureLocked();
}

bool PixoraDevice::SetWindowStart(int32_t x, int32_t y) {
    const uint32_t column = static_cast<uint32_t>(x);
    const uint32_t row = static_cast<uint32_t>(y);
    std::lock_guard lock(commandMutex_);
    const bool columnLow = WriteRegisterLocked(kRegColumnStartLow, column & 0x3F);
    const bool columnHigh = WriteRegisterLocked(kRegColumnStartHigh, (column >> 6) & 0x3F);
    const bool rowLow = WriteRegisterLocked(kRegRowStartLow, row & 0x3F);
    const bool rowHigh = WriteRegisterLocked(kRegRowStartHigh, (row >> 6) & 0x3F);
    return columnLow && columnHigh && rowLow && rowHigh;
}

bool PixoraDevice::SetGainMode(int32_t mode) {
    if (mode < 0 || mode > 4) {
        return false;
    }
    return WriteRegister(kRegGainMode, static_cast<uint32_t>(mode));
}

bool PixoraDevice::SetTrigger(int32_t flag) {
    std::lock_guard lock(commandMutex_);
    if (SendLocked(MakeCommand(wire::kCmdSetTrigger, flag != 0 ? 1 : 0)) != kDevOk) {
        return false;
    }
    uint32_t control = registerCache_[kRegTriggerControl].load(std::memory_order_relaxed);
    uint32_t source = registerCache_[kRegTriggerSource].load(std::memory_order_relaxed);
    if (flag == 1) {
        control &= ~kFreeRunBit;
        source = (source & ~0xFu) | kTriggerNibble;
    } else {
        control |= kFreeRunBit;
        source = (source & ~0xFu) | kFreeRunNibble;
    }
    WriteRegisterLocked(kRegTriggerControl, control);
    WriteRegisterLocked(kRegTriggerSource, source);
    return true;
}

bool PixoraDevice::QueryClock(int32_t& flag) {
    std::lock_guard lock(commandMutex_);
    DriverConnectionPtr connection = OpenNoted();
    if (SendNoted(connection.get(), MakeCommand(wire::kCmdQueryClock)) != kDevOk) {
        return false;
    }
    CommandBlock reply{};
    ReadReply(connection.get(), reply);
    reply.fill(0);
    TransferResult outcome;
    if (ReadReply(connection.get(), reply, &outcome) != kDevOk) {
        failures_.NoteTransfer("the reply block", outcome, wire::kBlockSize);
        return false;
    }
    flag = reply[0] != 0 ? 1 : 0;
    return true;
}

bool PixoraDevice::SetClock(int32_t flag) {
    int32_t result = kDevOpenFailed;
    {
        std::lock_guard lock(commandMutex_);
        DriverConnectionPtr connection = OpenNoted();
        if (connection != nullptr) {
            result =
                SendNoted(connection.get(), MakeCommand(wire::kCmdSetClock, flag != 0 ? 1 : 0));
        }
    }
    // The camera comes back with its defaults after a clock change.
    Open(CurrentIndex());
    return result == kDevOk;
}

}  // namespace pixora
