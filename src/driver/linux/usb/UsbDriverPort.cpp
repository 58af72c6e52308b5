#include "driver/linux/usb/UsbDriverPort.h"

#include <libusb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "driver/UsbConfig.h"
#include "driver/linux/usb/UsbCamera.h"
#include "driver/linux/usb/UsbTexts.h"

namespace pixora {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kDefaultTimeoutMs = 3000;
// A camera stays claimed this long after its last connection closed, so that a sequence of
// commands (each on a connection of its own) does not reopen it for every block.
constexpr auto kLinger = std::chrono::milliseconds(1000);
// Frame reads a stream keeps in flight.
constexpr int kReadsInFlight = 2;

}  // namespace

class UsbDriverPort::Impl {
public:
    Impl() {
        initError_ = libusb_init(&context_);
        if (initError_ != 0) {
            context_ = nullptr;
            return;
        }
        if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) != 0) {
            libusb_hotplug_register_callback(context_, LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT, 0,
                                             LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
                                             LIBUSB_HOTPLUG_MATCH_ANY, &Impl::DeviceLeft, this,
                                             nullptr);
        }
        events_ = std::thread([this] { EventLoop(); });
        events_.detach();
    }

    libusb_context* Context() const { return context_; }

    OpenResult Open(int index);
    bool Probe(int index, std::string* detail);
    std::vector<UsbDeviceReport> Survey(std::string* why);

    void Close(const std::shared_ptr<OpenUsbCamera>& camera) {
        std::lock_guard lock(mutex_);
        if (--camera->users == 0) {
            camera->idleSince = Clock::now();
        }
    }

    uint32_t Timeout(const OpenUsbCamera& camera) {
        std::lock_guard lock(mutex_);
        const auto it = timeouts_.find(camera.place.Identity());
        return it != timeouts_.end() ? it->second : kDefaultTimeoutMs;
    }

    void SetTimeout(const OpenUsbCamera& camera, uint32_t ms) {
        std::lock_guard lock(mutex_);
        timeouts_[camera.place.Identity()] = ms != 0 ? ms : kDefaultTimeoutMs;
    }

private:
    // The attached devices whose IDs are configured, in camera order.
    struct Candidate {
        libusb_device* device;
        UsbPlace place;
        const UsbCameraModel* model;
    };
    std::vector<Candidate> Configured(libusb_device** list, ssize_t count,
                                      const UsbConfig& config) const;
    OpenResult OpenCandidate(const Candidate& candidate, int index);
    void ReleaseIdle();
    void EventLoop() {
        for (;;) {
            timeval tv{0, 100000};
            libusb_handle_events_timeout_completed(context_, &tv, nullptr);
            ReleaseIdle();
        }
    }
    static int DeviceLeft(libusb_context*, libusb_device* device, libusb_hotplug_event,
                          void* self) {
        static_cast<Impl*>(self)->MarkGone(PlaceOf(device));
        return 0;
    }
    void MarkGone(const UsbPlace& place) {
        std::lock_guard lock(mutex_);
        const auto it = cameras_.find(place.Identity());
        if (it != cameras_.end() && it->second->place.address == place.address) {
            it->second->gone.store(true);
        }
    }

    libusb_context* context_ = nullptr;
    int initError_ = 0;
    std::thread events_;
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<OpenUsbCamera>> cameras_;  // by bus and port path
    std::map<std::string, uint32_t> timeouts_;
    struct Denial {
        uint8_t address = 0;
        Clock::time_point until{};
        std::string text;
    };
    std::map<std::string, Denial> denied_;  // device nodes we may not open, by place
};

namespace {

class UsbConnection;

// A stream run: kReadsInFlight reads into buffers of its own, each preceded by the frame
// request, resubmitted as soon as its frame has been handed out.
class UsbFrameStream final : public FrameStream {
public:
    UsbFrameStream(UsbConnection& connection, const FrameStreamPlan& plan);
    ~UsbFrameStream() override;
    TransferResult Next(void* destination) override;

private:
    struct Read {
        std::vector<uint8_t> buffer;
        libusb_transfer* transfer = nullptr;
        Completion completion;
        bool submitted = false;
        TransferResult submitFailure;  // when it could not be submitted
    };
    void Submit(Read& read);

    UsbConnection& connection_;
    const FrameStreamPlan plan_;
    Read reads_[kReadsInFlight];
    int head_ = 0;
    bool started_ = false;
};

class UsbConnection final : public DriverConnection {
public:
    UsbConnection(UsbDriverPort::Impl& port, std::shared_ptr<OpenUsbCamera> camera)
        : port_(port), camera_(std::move(camera)) {}
    ~UsbConnection() override { port_.Close(camera_); }

    TransferResult Transfer(const PipeRequest& request) override {
        if (request.pipe >= wire::kPipeCount) {
            TransferResult refused;
            refused.detail = "no pipe " + std::to_string(request.pipe);
            return refused;
        }
        const PipeEndpoint& endpoint = camera_->pipes[request.pipe];
        const uint32_t timeoutMs = port_.Timeout(*camera_);
        libusb_transfer* transfer = libusb_alloc_transfer(0);
        Completion completion;
        FillTransfer(transfer, *camera_, endpoint, request.data, request.size, timeoutMs,
                     &completion);
        inFlight_.Add(transfer);
        const int submitted = libusb_submit_transfer(transfer);
        TransferResult result;
        if (submitted != 0) {
            result = SubmitFailure(submitted, *camera_, endpoint.address);
        } else {
            completion.Wait();
            result = ResultOf(*transfer, timeoutMs, *camera_);
        }
        inFlight_.Remove(transfer);
        libusb_free_transfer(transfer);
        return result;
    }

    void SetTransferTimeout(uint32_t milliseconds) override {
        port_.SetTimeout(*camera_, milliseconds);
    }

    void Cancel() override { inFlight_.CancelAll(); }

    std::unique_ptr<FrameStream> StartFrames(const FrameStreamPlan& plan) override {
        return std::make_unique<UsbFrameStream>(*this, plan);
    }

    OpenUsbCamera& Camera() { return *camera_; }
    InFlight& Transfers() { return inFlight_; }
    uint32_t Timeout() { return port_.Timeout(*camera_); }

private:
    UsbDriverPort::Impl& port_;
    std::shared_ptr<OpenUsbCamera> camera_;
    InFlight inFlight_;
};

UsbFrameStream::UsbFrameStream(UsbConnection& connection, const FrameStreamPlan& plan)
    : connection_(connection), plan_(plan) {
    for (Read& read : reads_) {
        read.buffer.resize(plan_.frameBytes);
        read.transfer = libusb_alloc_transfer(0);
    }
}

UsbFrameStream::~UsbFrameStream() {
    for (Read& read : reads_) {
        if (read.submitted) {
            libusb_cancel_transfer(read.transfer);
        }
    }
    for (Read& read : reads_) {
        if (read.submitted) {
            read.completion.Wait();
            connection_.Transfers().Remove(read.transfer);
        }
        libusb_free_transfer(read.transfer);
    }
}

void UsbFrameStream::Submit(Read& read) {
    // The frame request goes out first; its outcome is not examined, the read tells.
    SendFrameRequest(connection_, plan_);
    OpenUsbCamera& camera = connection_.Camera();
    const PipeEndpoint& endpoint = camera.pipes[wire::kPipeImage];
    {
        std::lock_guard lock(read.completion.mutex);
        read.completion.finished = false;
    }
    FillTransfer(read.transfer, camera, endpoint, read.buffer.data(), plan_.frameBytes,
                 connection_.Timeout(), &read.completion);
    connection_.Transfers().Add(read.transfer);
    const int submitted = libusb_submit_transfer(read.transfer);
    read.submitted = submitted == 0;
    if (!read.submitted) {
        connection_.Transfers().Remove(read.transfer);
        read.submitFailure = SubmitFailure(submitted, camera, endpoint.address);
    }
}

TransferResult UsbFrameStream::Next(void* destination) {
    if (!started_) {
        started_ = true;
        for (Read& read : reads_) {
            Submit(read);
        }
    }
    Read& read = reads_[head_];
    head_ = (head_ + 1) % kReadsInFlight;
    if (!read.submitted) {
        return read.submitFailure;
    }
    read.completion.Wait();
    read.submitted = false;
    connection_.Transfers().Remove(read.transfer);
    TransferResult result = ResultOf(*read.transfer, connection_.Timeout(), connection_.Camera());
    if (result.bytes > 0 && destination != nullptr) {
        std::memcpy(destination, read.buffer.data(), std::min(result.bytes, plan_.frameBytes));
    }
    // Only a whole frame keeps the run going: the caller asks for no more after a failure.
    if (result.Ok() && result.bytes == plan_.frameBytes) {
        Submit(read);
    }
    return result;
}

// The endpoints of interface 0, alternate setting 0, in descriptor order.
}  // namespace

std::vector<UsbDriverPort::Impl::Candidate> UsbDriverPort::Impl::Configured(
    libusb_device** list, ssize_t count, const UsbConfig& config) const {
    std::vector<Candidate> found;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list[i], &descriptor) != 0) {
            continue;
        }
        const UsbCameraModel* model = config.Find(descriptor.idVendor, descriptor.idProduct);
        if (model != nullptr) {
            found.push_back(Candidate{list[i], PlaceOf(list[i]), model});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Candidate& a, const Candidate& b) { return PlaceOrder(a.place, b.place); });
    return found;
}

OpenResult UsbDriverPort::Impl::Open(int index) {
    OpenResult result;
    const UsbConfig config = LoadUsbConfig();
    if (config.cameras.empty()) {
        result.detail = NothingConfiguredText();
        return result;
    }
    if (context_ == nullptr) {
        result.detail = NoLibusbText(initError_);
        return result;
    }
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context_, &list);
    if (count < 0) {
        result.detail = EnumerationFailedText(static_cast<int>(count));
        return result;
    }
    const std::vector<Candidate> candidates = Configured(list, count, config);
    if (index < 0 || static_cast<size_t>(index) >= candidates.size()) {
        result.detail = NoCameraAtIndexText(index, static_cast<int>(candidates.size()));
    } else {
        result = OpenCandidate(candidates[static_cast<size_t>(index)], index);
    }
    libusb_free_device_list(list, 1);
    return result;
}

OpenResult UsbDriverPort::Impl::OpenCandidate(const Candidate& candidate, int index) {
    OpenResult result;
    const std::string identity = candidate.place.Identity();
    {
        // A camera still claimed (in use, or lingering) is shared, unless it is another
        // device at the same place now (unplugged and plugged back in).
        std::lock_guard lock(mutex_);
        const auto it = cameras_.find(identity);
        if (it != cameras_.end()) {
            const std::shared_ptr<OpenUsbCamera>& camera = it->second;
            if (!camera->gone.load() && camera->place.address == candidate.place.address) {
                ++camera->users;
                result.connection = std::make_unique<UsbConnection>(*this, camera);
                return result;
            }
            cameras_.erase(it);  // its connections keep it until they close
        }
    }

    auto camera = std::make_shared<OpenUsbCamera>();
    camera->place = candidate.place;
    std::string why;
    UsbEndpointReport pipes[wire::kPipeCount];
    if (!MapPipeEndpoints(InterfaceZeroEndpoints(candidate.device), candidate.model->endpoints,
                          pipes, &why)) {
        result.detail = UnfitEndpointsText(*candidate.model, why);
        return result;
    }
    for (uint32_t pipe = 0; pipe < wire::kPipeCount; ++pipe) {
        camera->pipes[pipe] = PipeEndpoint{pipes[pipe].address, pipes[pipe].type};
    }
    {
        // A device node that refused us a moment ago refuses again: the answer is kept for
        // a while (the sensor set-up alone is hundreds of commands, each opening the camera).
        std::lock_guard lock(mutex_);
        const auto denied = denied_.find(identity);
        if (denied != denied_.end() && denied->second.address == candidate.place.address &&
            Clock::now() < denied->second.until) {
            result.detail = denied->second.text;
            return result;
        }
    }
    const int opened = libusb_open(candidate.device, &camera->handle);
    if (opened != 0) {
        camera->handle = nullptr;
        result.detail = OpenFailedText(opened, *candidate.model, candidate.place.bus,
                                       candidate.place.address, index);
        if (opened == LIBUSB_ERROR_ACCESS) {
            std::lock_guard lock(mutex_);
            denied_[identity] =
                Denial{candidate.place.address, Clock::now() + kLinger, result.detail};
        }
        return result;
    }
    if (libusb_kernel_driver_active(camera->handle, 0) == 1) {
        libusb_close(camera->handle);
        camera->handle = nullptr;
        result.detail = KernelDriverText(*candidate.model, candidate.place.bus,
                                         UsbPlace::PortPathText(candidate.place.ports));
        return result;
    }
    const int claimed = libusb_claim_interface(camera->handle, 0);
    if (claimed != 0) {
        libusb_close(camera->handle);
        camera->handle = nullptr;
        result.detail = ClaimFailedText(claimed, *candidate.model);
        return result;
    }
    std::lock_guard lock(mutex_);
    camera->users = 1;
    cameras_[identity] = camera;
    result.connection = std::make_unique<UsbConnection>(*this, camera);
    return result;
}

bool UsbDriverPort::Impl::Probe(int index, std::string* detail) {
    const UsbConfig config = LoadUsbConfig();
    if (config.cameras.empty()) {
        if (detail != nullptr) {
            *detail = NothingConfiguredText();
        }
        return false;
    }
    if (context_ == nullptr) {
        if (detail != nullptr) {
            *detail = NoLibusbText(initError_);
        }
        return false;
    }
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context_, &list);
    if (count < 0) {
        if (detail != nullptr) {
            *detail = EnumerationFailedText(static_cast<int>(count));
        }
        return false;
    }
    const size_t attached = Configured(list, count, config).size();
    libusb_free_device_list(list, 1);
    const bool present = index >= 0 && static_cast<size_t>(index) < attached;
    if (!present && detail != nullptr) {
        *detail = NoCameraAtIndexText(index, static_cast<int>(attached));
    }
    return present;
}

std::vector<UsbDeviceReport> UsbDriverPort::Impl::Survey(std::string* why) {
    std::vector<UsbDeviceReport> reports;
    if (context_ == nullptr) {
        if (why != nullptr) {
            *why = NoLibusbText(initError_);
        }
        return reports;
    }
    const UsbConfig config = LoadUsbConfig();
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context_, &list);
    if (count < 0) {
        if (why != nullptr) {
            *why = EnumerationFailedText(static_cast<int>(count));
        }
        return reports;
    }
    const std::vector<Candidate> cameras = Configured(list, count, config);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        libusb_config_descriptor* active = nullptr;
        if (libusb_get_device_descriptor(list[i], &descriptor) != 0 ||
            libusb_get_active_config_descriptor(list[i], &active) != 0 || active == nullptr) {
            continue;
        }
        for (int n = 0; n < active->bNumInterfaces; ++n) {
            const libusb_interface& interface = active->interface[n];
            if (interface.num_altsetting < 1 ||
                interface.altsetting[0].bInterfaceClass != LIBUSB_CLASS_VENDOR_SPEC) {
                continue;
            }
            UsbDeviceReport report;
            report.vendor = descriptor.idVendor;
            report.product = descriptor.idProduct;
            const UsbPlace place = PlaceOf(list[i]);
            report.bus = place.bus;
            report.address = place.address;
            report.portPath = UsbPlace::PortPathText(place.ports);
            report.interfaceNumber = interface.altsetting[0].bInterfaceNumber;
            for (int e = 0; e < interface.altsetting[0].bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = interface.altsetting[0].endpoint[e];
                report.endpoints.push_back(UsbEndpointReport{
                    ep.bEndpointAddress, static_cast<uint8_t>(ep.bmAttributes & 3),
                    ep.wMaxPacketSize});
            }
            if (!CouldServePipes(report.endpoints)) {
                continue;
            }
            report.configured = config.Find(report.vendor, report.product) != nullptr;
            for (size_t c = 0; c < cameras.size(); ++c) {
                if (cameras[c].device == list[i]) {
                    report.cameraIndex = static_cast<int32_t>(c);
                }
            }
            reports.push_back(report);
        }
        libusb_free_config_descriptor(active);
    }
    libusb_free_device_list(list, 1);
    return reports;
}

void UsbDriverPort::Impl::ReleaseIdle() {
    const Clock::time_point now = Clock::now();
    std::vector<std::shared_ptr<OpenUsbCamera>> idle;
    {
        std::lock_guard lock(mutex_);
        for (auto it = cameras_.begin(); it != cameras_.end();) {
            const OpenUsbCamera& camera = *it->second;
            if (camera.users == 0 && (camera.gone.load() || now - camera.idleSince >= kLinger)) {
                idle.push_back(it->second);
                it = cameras_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Released here, outside the lock, as the last holders go.
    idle.clear();
}

UsbDriverPort::UsbDriverPort() : impl_(std::make_unique<Impl>()) {}

UsbDriverPort& UsbDriverPort::Instance() {
    // Never destroyed: the event thread and transfers still running at exit never meet a
    // dead port.
    static UsbDriverPort* const port = new UsbDriverPort;
    return *port;
}

OpenResult UsbDriverPort::Open(const char* path) {
    const int index = CameraIndexOfPath(path);
    if (index < 0) {
        OpenResult result;
        result.detail = BadPathText(path);
        return result;
    }
    return impl_->Open(index);
}

bool UsbDriverPort::Probe(const char* path, std::string* detail) {
    return impl_->Probe(CameraIndexOfPath(path), detail);
}

std::vector<UsbDeviceReport> UsbDriverPort::Survey(std::string* why) {
    return impl_->Survey(why);
}

}  // namespace pixora
