#include "UsbTestbed.h"

#include <errno.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "driver/ControlDriverPort.h"

namespace pixora::test {

namespace {

// A request block or frame the camera takes a long time over is not an error on USB: the
// device just does not answer yet. Reads wait this long in the camera per round, and go on
// until libusb's own time-out discards them.
constexpr uint32_t kCameraWaitMs = 60000;

struct Urb {
    UMockdevIoctlData* data = nullptr;  // the submitted struct usbdevfs_urb (a reference)
    uint8_t endpoint = 0;
    int length = 0;
    std::vector<uint8_t> bytes;  // OUT: what was sent; IN: what the camera answered
    int status = 0;
    int actual = 0;
    bool discarded = false;
};

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char pair[3];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

std::vector<uint8_t> Descriptors(const UsbDeviceSpec& spec) {
    std::vector<uint8_t> d = {18, 1, 0x00, 0x02, 0, 0, 0, 64};
    Put16(d, spec.vendor);
    Put16(d, spec.product);
    d.insert(d.end(), {0x00, 0x01, 0, 0, 0, 1});
    const uint16_t total = static_cast<uint16_t>(9 + 9 + 7 * spec.endpoints.size());
    d.insert(d.end(), {9, 2});
    Put16(d, total);
    d.insert(d.end(), {1, 1, 0, 0x80, 50});
    d.insert(d.end(), {9, 4, 0, 0, static_cast<uint8_t>(spec.endpoints.size()), spec.interfaceClass,
                       0, 0, 0});
    for (const UsbEndpointSpec& ep : spec.endpoints) {
        d.insert(d.end(), {7, 5, ep.address, ep.type});
        Put16(d, ep.maxPacket);
        d.push_back(ep.type == 3 ? 1 : 0);
    }
    return d;
}

}  // namespace

// What umockdev's handler calls into. The handler outlives the test bed: a connection to a
// device node keeps it, and the library's USB port, which lives as long as the process,
// still releases a camera it kept claimed after the test bed is gone. Requests that come
// then are answered as an unplugged device's. The handler's signal closure owns the gate.
struct IoctlGate {
    std::mutex mutex;  // held while a request is handled, so that closing waits for it
    UsbTestbed::Impl* impl = nullptr;

    static void Free(gpointer gate, GClosure*) { delete static_cast<IoctlGate*>(gate); }
};

class UsbTestbed::Impl {
public:
    explicit Impl(VirtualCameraBus& cameras) : cameras_(cameras) {
        testbed_ = umockdev_testbed_new();
        handler_ = umockdev_ioctl_base_new();
        gate_ = new IoctlGate;
        gate_->impl = this;
        g_signal_connect_data(handler_, "handle-ioctl", G_CALLBACK(&Impl::HandleIoctl), gate_,
                              &IoctlGate::Free, GConnectFlags{});
    }

    ~Impl() {
        {
            std::lock_guard lock(gate_->mutex);
            gate_->impl = nullptr;
        }
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (auto& [node, device] : devices_) {
            for (auto& endpoint : device->endpoints) {
                if (endpoint->handle != nullptr) {
                    cameras_.CancelPending(endpoint->handle);
                }
            }
        }
        for (auto& [node, device] : devices_) {
            for (auto& endpoint : device->endpoints) {
                if (endpoint->worker.joinable()) {
                    endpoint->worker.join();
                }
                if (endpoint->handle != nullptr) {
                    cameras_.Close(endpoint->handle);
                }
            }
            for (auto& urb : device->reapable) {
                umockdev_ioctl_data_unref(urb->data);
            }
            for (auto& endpoint : device->endpoints) {
                for (auto& urb : endpoint->queue) {
                    umockdev_ioctl_data_unref(urb->data);
                }
            }
        }
        g_object_unref(handler_);
        g_object_unref(testbed_);
    }

    struct Endpoint {
        uint8_t address = 0;
        uint32_t pipe = 0;
        std::deque<std::shared_ptr<Urb>> queue;
        std::shared_ptr<Urb> running;
        DriverHandle handle = nullptr;
        std::thread worker;
    };

    struct Device {
        int number = 0;
        UsbDeviceSpec spec;
        std::string node;
        std::string sysfs;
        bool present = true;
        bool claimRefused = false;
        std::string kernelDriver;
        UsbDeviceCounts counts;
        std::vector<std::unique_ptr<Endpoint>> endpoints;
        std::deque<std::shared_ptr<Urb>> reapable;
    };

    int Add(const UsbDeviceSpec& spec) {
        auto device = std::make_unique<Device>();
        device->spec = spec;
        char node[64];
        std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", spec.bus, spec.address);
        device->node = node;
        const std::string name = std::to_string(spec.bus) + "-" + spec.ports;
        device->sysfs =
            "/devices/pci0000:00/0000:00:14.0/usb" + std::to_string(spec.bus) + "/" + name;
        uint32_t pipe = 0;
        for (const UsbEndpointSpec& ep : spec.endpoints) {
            auto endpoint = std::make_unique<Endpoint>();
            endpoint->address = ep.address;
            endpoint->pipe = ep.pipe >= 0 ? static_cast<uint32_t>(ep.pipe) : pipe;
            ++pipe;
            device->endpoints.push_back(std::move(endpoint));
        }
        Device* raw = device.get();
        int number = 0;
        {
            std::lock_guard lock(mutex_);
            number = ++lastNumber_;
            device->number = number;
            devices_[device->node] = std::move(device);
        }
        for (auto& endpoint : raw->endpoints) {
            Endpoint* ep = endpoint.get();
            ep->worker = std::thread([this, raw, ep] { Serve(*raw, *ep); });
        }
        // The camera is plugged in with its device.
        cameras_.SetFault(spec.camera, FaultKind::Absent, -1);
        umockdev_testbed_attach_ioctl(testbed_, raw->node.c_str(), handler_, nullptr);
        char description[4096];
        std::snprintf(description, sizeof description,
                      "P: %s\nN: %s\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n"
                      "E: BUSNUM=%03u\nE: DEVNUM=%03u\nE: DEVNAME=%s\n"
                      "A: busnum=%u\\n\nA: devnum=%u\\n\nA: bConfigurationValue=1\\n\n"
                      "A: speed=480\\n\nA: idVendor=%04x\\n\nA: idProduct=%04x\\n\n"
                      "H: descriptors=%s\n",
                      raw->sysfs.c_str(), raw->node.c_str() + 5, spec.bus, spec.address,
                      raw->node.c_str(), spec.bus, spec.address, spec.vendor, spec.product,
                      Hex(Descriptors(spec)).c_str());
        umockdev_testbed_add_from_string(testbed_, description, nullptr);
        return number;
    }

    Device* Find(int number) const {
        for (const auto& [node, device] : devices_) {
            if (device->number == number) {
                return device.get();
            }
        }
        return nullptr;
    }

    // Unplugged as usbdevfs shows it: every request on the node fails with ENODEV and the
    // URBs in flight complete with -ENODEV. The sysfs entry stays (see the header).
    void Unplug(int number) {
        Device* device = nullptr;
        {
            std::lock_guard lock(mutex_);
            device = Find(number);
            if (device == nullptr || !device->present) {
                return;
            }
            device->present = false;
        }
        // The camera goes with its device: reads waiting in it end as the device's do.
        cameras_.SetFault(device->spec.camera, FaultKind::Absent, 0);
        std::lock_guard lock(mutex_);
        for (auto& endpoint : device->endpoints) {
            for (auto& urb : endpoint->queue) {
                urb->status = -ENODEV;
                device->reapable.push_back(urb);
            }
            endpoint->queue.clear();
        }
    }

    void Replug(int number) {
        Device* device = nullptr;
        {
            std::lock_guard lock(mutex_);
            device = Find(number);
            if (device == nullptr || device->present) {
                return;
            }
            device->present = true;
        }
        cameras_.SetFault(device->spec.camera, FaultKind::Absent, -1);
    }

    static gboolean HandleIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, IoctlGate* gate) {
        std::lock_guard lock(gate->mutex);
        if (gate->impl == nullptr) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        return gate->impl->Handle(client);
    }

    gboolean Handle(UMockdevIoctlClient* client) {
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        std::unique_lock lock(mutex_);
        const auto it = devices_.find(umockdev_ioctl_client_get_devnode(client));
        if (it == devices_.end()) {
            return FALSE;
        }
        Device& device = *it->second;
        if (!device.present && request != USBDEVFS_REAPURB && request != USBDEVFS_REAPURBNDELAY) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        switch (request) {
            case USBDEVFS_GET_CAPABILITIES: {
                UMockdevIoctlData* caps =
                    umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
                *reinterpret_cast<guint32*>(caps->data) =
                    USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_BULK_CONTINUATION |
                    USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT |
                    USBDEVFS_CAP_ZERO_PACKET;
                umockdev_ioctl_data_unref(caps);
                umockdev_ioctl_client_complete(client, 0, 0);
                return TRUE;
            }
            case USBDEVFS_GETDRIVER: {
                if (device.kernelDriver.empty()) {
                    umockdev_ioctl_client_complete(client, -1, ENODATA);
                    return TRUE;
                }
                UMockdevIoctlData* answer =
                    umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_getdriver), nullptr);
                auto* getdriver = reinterpret_cast<usbdevfs_getdriver*>(answer->data);
                std::snprintf(getdriver->driver, sizeof getdriver->driver, "%s",
                              device.kernelDriver.c_str());
                umockdev_ioctl_data_unref(answer);
                umockdev_ioctl_client_complete(client, 0, 0);
                return TRUE;
            }
            case USBDEVFS_CLAIMINTERFACE:
                ++device.counts.claims;
                if (device.claimRefused || !device.kernelDriver.empty()) {
                    umockdev_ioctl_client_complete(client, -1, EBUSY);
                } else {
                    umockdev_ioctl_client_complete(client, 0, 0);
                }
                return TRUE;
            case USBDEVFS_RELEASEINTERFACE:
                ++device.counts.releases;
                umockdev_ioctl_client_complete(client, 0, 0);
                return TRUE;
            case USBDEVFS_CLEAR_HALT:
            case USBDEVFS_RESETEP:
            case USBDEVFS_SETINTERFACE:
            case USBDEVFS_DISCONNECT_CLAIM:
            case USBDEVFS_IOCTL:
                umockdev_ioctl_client_complete(client, 0, 0);
                return TRUE;
            case USBDEVFS_SUBMITURB:
                return Submit(device, client, arg);
            case USBDEVFS_DISCARDURB:
                return Discard(device, client, arg, lock);
            case USBDEVFS_REAPURB:
            case USBDEVFS_REAPURBNDELAY:
                return Reap(device, client, arg);
            default:
                return FALSE;
        }
    }

    gboolean Submit(Device& device, UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        UMockdevIoctlData* data =
            umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
        const auto* urb = reinterpret_cast<const usbdevfs_urb*>(data->data);
        Endpoint* endpoint = nullptr;
        for (auto& candidate : device.endpoints) {
            if (candidate->address == urb->endpoint) {
                endpoint = candidate.get();
            }
        }
        if (endpoint == nullptr || urb->buffer_length < 0) {
            umockdev_ioctl_data_unref(data);
            umockdev_ioctl_client_complete(client, -1, ENOENT);
            return TRUE;
        }
        auto pending = std::make_shared<Urb>();
        pending->data = data;
        pending->endpoint = urb->endpoint;
        pending->length = urb->buffer_length;
        if ((urb->endpoint & 0x80) == 0 && urb->buffer_length > 0) {
            UMockdevIoctlData* buffer =
                umockdev_ioctl_data_resolve(data, G_STRUCT_OFFSET(usbdevfs_urb, buffer),
                                            static_cast<gsize>(urb->buffer_length), nullptr);
            pending->bytes.assign(buffer->data, buffer->data + urb->buffer_length);
            umockdev_ioctl_data_unref(buffer);
        }
        ++device.counts.submits;
        endpoint->queue.push_back(pending);
        changed_.notify_all();
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }

    gboolean Discard(Device& device, UMockdevIoctlClient* client, UMockdevIoctlData* arg,
                     std::unique_lock<std::mutex>& lock) {
        const gulong address = reinterpret_cast<gulong>(*reinterpret_cast<void**>(arg->data));
        ++device.counts.discards;
        for (auto& endpoint : device.endpoints) {
            for (auto it = endpoint->queue.begin(); it != endpoint->queue.end(); ++it) {
                if ((*it)->data->client_addr == address) {
                    (*it)->status = -ENOENT;
                    device.reapable.push_back(*it);
                    endpoint->queue.erase(it);
                    umockdev_ioctl_client_complete(client, 0, 0);
                    return TRUE;
                }
            }
            if (endpoint->running && endpoint->running->data->client_addr == address) {
                endpoint->running->discarded = true;
                const DriverHandle handle = endpoint->handle;
                lock.unlock();
                if (handle != nullptr) {
                    cameras_.CancelPending(handle);
                }
                umockdev_ioctl_client_complete(client, 0, 0);
                return TRUE;
            }
        }
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return TRUE;
    }

    gboolean Reap(Device& device, UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        if (device.reapable.empty()) {
            umockdev_ioctl_client_complete(client, -1, device.present ? EAGAIN : ENODEV);
            return TRUE;
        }
        std::shared_ptr<Urb> done = device.reapable.front();
        device.reapable.pop_front();
        auto* urb = reinterpret_cast<usbdevfs_urb*>(done->data->data);
        urb->status = done->status;
        urb->actual_length = done->actual;
        if ((done->endpoint & 0x80) != 0 && done->actual > 0) {
            UMockdevIoctlData* buffer =
                umockdev_ioctl_data_resolve(done->data, G_STRUCT_OFFSET(usbdevfs_urb, buffer),
                                            static_cast<gsize>(done->length), nullptr);
            std::memcpy(buffer->data, done->bytes.data(), static_cast<size_t>(done->actual));
            umockdev_ioctl_data_unref(buffer);
        }
        UMockdevIoctlData* pointer = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
        umockdev_ioctl_data_set_ptr(pointer, 0, done->data);
        umockdev_ioctl_data_unref(pointer);
        umockdev_ioctl_client_complete(client, 0, 0);
        umockdev_ioctl_data_unref(done->data);
        return TRUE;
    }

    // One endpoint's URBs, in the order they came, as the camera answers them.
    void Serve(Device& device, Endpoint& endpoint) {
        const std::string path = FormatDevicePath(wire::kDeviceBaseName, device.spec.camera);
        for (;;) {
            std::shared_ptr<Urb> urb;
            DriverHandle handle = nullptr;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || !endpoint.queue.empty(); });
                if (stopping_) {
                    return;
                }
                urb = endpoint.queue.front();
                endpoint.queue.pop_front();
                endpoint.running = urb;
                if (endpoint.handle == nullptr) {
                    endpoint.handle = cameras_.Open(path.c_str());
                }
                handle = endpoint.handle;
            }
            Answer(device, endpoint, handle, *urb);
            std::lock_guard lock(mutex_);
            endpoint.running.reset();
            if (urb->status == -ENODEV && endpoint.handle != nullptr) {
                // A camera that comes back is reached through a new handle.
                cameras_.Close(endpoint.handle);
                endpoint.handle = nullptr;
            }
            device.reapable.push_back(urb);
        }
    }

    void Answer(const Device& device, Endpoint& endpoint, DriverHandle handle, Urb& urb) {
        const std::string path = FormatDevicePath(wire::kDeviceBaseName, device.spec.camera);
        bool reopened = false;
        if (handle == nullptr) {
            urb.status = -ENODEV;
            return;
        }
        // The pipe's code as the device layer sends it; USB carries none, and the camera
        // takes command blocks under either code.
        const uint32_t code =
            endpoint.pipe == wire::kPipeReply ? wire::kCodePipeFirst : wire::kCodePipeSecond;
        const auto input = PipeRequestInput(endpoint.pipe);
        if ((urb.endpoint & 0x80) != 0) {
            urb.bytes.assign(static_cast<size_t>(urb.length), 0);
        }
        for (;;) {
            uint32_t returned = 0;
            TransferStatus why = TransferStatus::Failed;
            const bool ok = cameras_.Control(handle, code, input.data(),
                                             static_cast<uint32_t>(input.size()), urb.bytes.data(),
                                             static_cast<uint32_t>(urb.length), &returned, &why);
            if (ok) {
                urb.status = 0;
                urb.actual = static_cast<int>(returned);
                return;
            }
            bool discarded = false;
            {
                std::lock_guard lock(mutex_);
                discarded = urb.discarded || stopping_;
            }
            if (discarded || why == TransferStatus::Cancelled) {
                urb.status = -ENOENT;
                return;
            }
            if (why == TransferStatus::NoDevice) {
                // A handle of the camera's earlier attachment: a camera plugged back in is
                // reached through a new one.
                std::lock_guard lock(mutex_);
                if (!device.present || reopened) {
                    urb.status = -ENODEV;
                    return;
                }
                cameras_.Close(endpoint.handle);
                endpoint.handle = cameras_.Open(path.c_str());
                handle = endpoint.handle;
                reopened = true;
                if (handle == nullptr) {
                    urb.status = -ENODEV;
                    return;
                }
                continue;
            }
            if (why != TransferStatus::TimedOut) {
                urb.status = -EPIPE;  // the camera refused the block: the endpoint stalls
                return;
            }
            // A device does not time out a transfer: the host does. Ask again.
        }
    }

    VirtualCameraBus& cameras_;
    UMockdevTestbed* testbed_ = nullptr;
    UMockdevIoctlBase* handler_ = nullptr;
    IoctlGate* gate_ = nullptr;  // owned by the handler's signal closure
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::unique_ptr<Device>> devices_;
    int lastNumber_ = 0;
    bool stopping_ = false;
};

UsbTestbed::UsbTestbed(VirtualCameraBus& cameras) : impl_(std::make_unique<Impl>(cameras)) {}

UsbTestbed::~UsbTestbed() = default;

int UsbTestbed::Add(const UsbDeviceSpec& spec) {
    return impl_->Add(spec);
}

void UsbTestbed::Unplug(int device) {
    impl_->Unplug(device);
}

void UsbTestbed::Replug(int device) {
    impl_->Replug(device);
}

void UsbTestbed::SetClaimRefused(int device, bool refused) {
    std::lock_guard lock(impl_->mutex_);
    if (Impl::Device* d = impl_->Find(device)) {
        d->claimRefused = refused;
    }
}

void UsbTestbed::SetKernelDriver(int device, const std::string& name) {
    std::lock_guard lock(impl_->mutex_);
    if (Impl::Device* d = impl_->Find(device)) {
        d->kernelDriver = name;
    }
}

UsbDeviceCounts UsbTestbed::Counts(int device) const {
    std::lock_guard lock(impl_->mutex_);
    const Impl::Device* d = impl_->Find(device);
    return d != nullptr ? d->counts : UsbDeviceCounts{};
}

std::string UsbTestbed::DeviceNode(int device) const {
    std::lock_guard lock(impl_->mutex_);
    const Impl::Device* d = impl_->Find(device);
    return d != nullptr ? d->node : std::string();
}

std::string UsbTestbed::RootDir() const {
    gchar* root = umockdev_testbed_get_root_dir(impl_->testbed_);
    std::string text = root != nullptr ? root : "";
    g_free(root);
    return text;
}

}  // namespace pixora::test
