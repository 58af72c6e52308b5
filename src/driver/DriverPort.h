// The seam between the device layer and whatever carries its transfers to a camera: the
// kernel driver's control requests on Windows, the virtual camera, or USB bulk endpoints.
// The device layer speaks only in these terms: open a camera, move a block over a pipe
// (0 commands out, 1 replies in, 2 image data in), set the transfer time-out, cancel, and
// read a run of frames. Every port implements the same four classes below.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "driver/WireProtocol.h"

namespace pixora {

// What became of a transfer.
enum class TransferStatus : uint8_t {
    Done,       // moved `bytes`, which may be fewer than asked (a short transfer)
    TimedOut,   // the transfer time-out ended it
    Cancelled,  // DriverConnection::Cancel ended it
    NoDevice,   // the camera is gone (unplugged) or the connection no longer reaches it
    Failed,     // refused or failed for another reason
};

const char* TransferStatusName(TransferStatus status);

struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    uint32_t bytes = 0;  // bytes moved, also for a failed transfer where the port knows
    std::string detail;  // the port's own words for a failure; empty when it has none

    bool Ok() const { return status == TransferStatus::Done; }
};

// The kernel driver takes pipe transfers under two pairs of request codes, and which code an
// operation uses is fixed by the protocol, not by the direction of the data. A transfer
// names its code so that a port to that driver sends it; ports without codes ignore it.
struct RequestCode {
    bool secondaryPair = false;
    bool second = false;
};

// The code each operation of the protocol uses.
inline constexpr RequestCode kCommandCode{false, true};        // a command block on pipe 0
inline constexpr RequestCode kFrameRequestCode{false, false};  // the frame request, pipe 0
inline constexpr RequestCode kReplyCode{false, false};         // a reply block from pipe 1
inline constexpr RequestCode kImageCode{false, true};          // image data from pipe 2

// The control code of the kernel driver for `code`.
uint32_t ControlCodeOf(RequestCode code);

// One block over one pipe: written from `data` on pipe 0, read into it on pipes 1 and 2.
struct PipeRequest {
    uint32_t pipe = 0;
    void* data = nullptr;
    uint32_t size = 0;
    RequestCode code;
};

// A stream run's frames: each a read of `frameBytes` on pipe 2, preceded on pipe 0 by the
// frame request `request` (sent under `requestCode`; its outcome is not examined).
struct FrameStreamPlan {
    std::array<uint8_t, wire::kBlockSize> request{};
    RequestCode requestCode = kFrameRequestCode;
    RequestCode readCode = kImageCode;
    uint32_t frameBytes = 0;
    // When set, each frame request is sent by calling it with the sending, so that the
    // caller can order it against commands of its own (a frame is taken with the registers
    // of its request) and learn when it went out; requests go in the order of the frames.
    std::function<void(const std::function<void()>& send)> sendRequest;
};

// The frames of one stream run, read one after the other in the order they come. A port may
// keep reads in flight ahead of the caller (into memory of its own) so that the bus never
// idles between frames; the requests still reach the camera as request, read, request,
// read. Destroying the stream ends the reads still in flight.
class FrameStream {
public:
    virtual ~FrameStream() = default;
    // The next frame into `destination` (frameBytes bytes). A failed read ends the run: the
    // caller asks for no more frames after it.
    virtual TransferResult Next(void* destination) = 0;
};

// One open camera. Transfers from several threads may run at once (the stream's read on
// one, commands on another); Cancel comes from any thread. Destroying it closes it.
class DriverConnection {
public:
    virtual ~DriverConnection() = default;

    virtual TransferResult Transfer(const PipeRequest& request) = 0;
    // The driver's transfer time-out for the transfers that start later, on this and every
    // other connection to the same camera.
    virtual void SetTransferTimeout(uint32_t milliseconds) = 0;
    // Ends the transfers pending on this connection now, each as Cancelled (also the reads a
    // stream of this connection keeps in flight). Transfers that start later are not
    // affected. A port that cannot cancel does nothing; its time-out then bounds the wait.
    virtual void Cancel() = 0;
    // A stream run on this connection. The default reads one frame at a time through
    // Transfer; ports that can keep reads in flight do so.
    virtual std::unique_ptr<FrameStream> StartFrames(const FrameStreamPlan& plan);
};

// Sends the plan's frame request on `connection`, through the plan's sendRequest when it
// has one. Every frame stream sends its requests this way.
void SendFrameRequest(DriverConnection& connection, const FrameStreamPlan& plan);

struct OpenResult {
    std::unique_ptr<DriverConnection> connection;  // null when the camera did not open
    std::string detail;  // why not, in the port's words; empty when it has none
};

// A way to reach cameras. Cameras are numbered 0..7; `path` is the device path the device
// layer forms for camera N ("\\.\Qvo530TZ-N"), which a port that numbers its cameras itself
// reads the index from (CameraIndexOfPath).
class DriverPort {
public:
    virtual ~DriverPort() = default;
    virtual OpenResult Open(const char* path) = 0;
    // Whether a camera answers at `path`, and if not why (in *detail when given). The
    // default opens and closes it; a port whose open takes the camera from other programs
    // (a USB claim) looks without opening.
    virtual bool Probe(const char* path, std::string* detail);
};

// "\\.\<base>-<index>".
std::string FormatDevicePath(const char* baseName, int32_t index);
// The camera index of a device path "\\.\Qvo530TZ-N" (case-insensitive, N = 0..7), or -1.
int CameraIndexOfPath(const char* path);

}  // namespace pixora
