"""The library's records as ctypes structures, field for field as the C headers lay them out.

Records with a ``size`` field are created with it already set (``new_record``), as the
library expects from its callers.
"""

import ctypes
from ctypes import c_char, c_char_p, c_int32, c_uint8, c_uint16, c_uint32, c_uint64, c_size_t
from ctypes import c_ssize_t, c_void_p


class CameraInfo(ctypes.Structure):
    """PixoraCameraInfo (36 bytes), filled by Pixora_GetCameraInfo."""

    _fields_ = [
        ("size", c_uint32),
        ("sensorWidth", c_int32),
        ("sensorHeight", c_int32),
        ("gainMin", c_int32),
        ("gainMax", c_int32),
        ("reserved1", c_int32),
        ("reserved2", c_int32),
        ("exposureMin", c_int32),
        ("exposureMax", c_int32),
    ]


class FrameInfo(ctypes.Structure):
    """PixoraFrameInfo (24 bytes), whose address is the wParam of each frame message."""

    _fields_ = [
        ("size", c_int32),
        ("width", c_int32),
        ("height", c_int32),
        ("bitsPerPixel", c_int32),
        ("frameRate", c_int32),
        ("reserved", c_int32),
    ]


class FrameMeta(ctypes.Structure):
    """PixoraFrameMeta (24 bytes): a delivered frame's number, time and frames missed."""

    _fields_ = [
        ("size", c_int32),
        ("dropped", c_int32),
        ("sequence", c_uint64),
        ("timestampUs", c_uint64),
    ]


class FrameCounts(ctypes.Structure):
    """PixoraFrameCounts (32 bytes): a handle's delivered, dropped and failed frames."""

    _fields_ = [
        ("size", c_int32),
        ("reserved", c_int32),
        ("delivered", c_uint64),
        ("dropped", c_uint64),
        ("failed", c_uint64),
    ]


class ControlValue(ctypes.Structure):
    """PixoraControlValue: one named value of an enumeration control."""

    _fields_ = [
        ("value", c_int32),
        ("reserved", c_int32),
        ("name", c_char_p),
        ("label", c_char_p),
    ]


class ControlInfo(ctypes.Structure):
    """PixoraControlInfo: a control of the library's table, filled by PixoraEx_GetControlInfo.

    The texts are the library's own (static, UTF-8); ``aliases`` ends with a null pointer and
    ``values`` holds ``valueCount`` records."""

    _fields_ = [
        (name, c_int32)
        for name in (
            "size",
            "id",
            "kind",
            "flags",
            "minimum",
            "maximum",
            "step",
            "defaultValue",
            "cameraMinimum",
            "cameraMaximum",
            "filterIndex",
            "dialog",
            "valueCount",
            "reserved",
        )
    ] + [
        ("name", c_char_p),
        ("label", c_char_p),
        ("description", c_char_p),
        ("unit", c_char_p),
        ("aliases", ctypes.POINTER(c_char_p)),
        ("storedName", c_char_p),
        ("values", ctypes.POINTER(ControlValue)),
    ]


class SaveDepth(ctypes.Structure):
    """PixoraSaveDepth: one image depth a save format takes and what the file holds."""

    _fields_ = [
        ("bitsPerPixel", c_int32),
        ("fileBitsPerPixel", c_int32),
        ("conversion", c_char_p),
    ]


class SaveFormatInfo(ctypes.Structure):
    """PixoraSaveFormatInfo: a save format of the library's table, filled by
    PixoraEx_GetSaveFormatInfo.

    The texts are the library's own (static, UTF-8); ``extensions`` ends with a null pointer
    and ``depths`` holds ``depthCount`` records."""

    _fields_ = [
        ("size", c_int32),
        ("code", c_int32),
        ("quality", c_int32),
        ("depthCount", c_int32),
        ("name", c_char_p),
        ("label", c_char_p),
        ("description", c_char_p),
        ("extensions", ctypes.POINTER(c_char_p)),
        ("depths", ctypes.POINTER(SaveDepth)),
    ]


class Message(ctypes.Structure):
    """PixoraMessage: one message taken from a message window with PixoraMsg_Get."""

    _fields_ = [
        ("window", c_void_p),
        ("message", c_uint32),
        ("wParam", c_size_t),
        ("lParam", c_ssize_t),
    ]


class SimStatus(ctypes.Structure):
    """PixoraSimStatus: a virtual camera's state, filled by PixoraSim_GetStatus."""

    _fields_ = [
        (name, c_int32)
        for name in (
            "size",
            "present",
            "attached",
            "openHandles",
            "triggerMode",
            "pendingTriggers",
            "sampleWidth",
            "halfClock",
            "transferSamples",
            "timeoutMs",
            "gain",
            "exposure",
            "scene",
            "fpsMilli",
            "faults",
            "framesSent",
            "framesShort",
            "framesFailed",
            "commands",
            "readsWaiting",
        )
    ]


class UsbEndpoint(ctypes.Structure):
    """PixoraUsbEndpoint: an endpoint of a USB interface."""

    _fields_ = [("address", c_uint8), ("type", c_uint8), ("maxPacket", c_uint16)]


class UsbDevice(ctypes.Structure):
    """PixoraUsbDevice: a USB device that could be a camera, filled by PixoraEx_UsbListDevices."""

    _fields_ = [
        ("size", c_int32),
        ("vendor", c_uint16),
        ("product", c_uint16),
        ("bus", c_int32),
        ("address", c_int32),
        ("portPath", c_char * 32),
        ("interfaceNumber", c_int32),
        ("configured", c_int32),
        ("cameraIndex", c_int32),
        ("endpointCount", c_int32),
        ("endpoints", UsbEndpoint * 16),
    ]


class StreamOptions(ctypes.Structure):
    """PixoraStreamOptions (32 bytes): how PixoraEx_OpenStream opens a frame queue."""

    _fields_ = [
        ("size", c_int32),
        ("buffers", c_int32),
        ("triggered", c_int32),
        ("raw", c_int32),
        ("dropPolicy", c_int32),
        ("reserved", c_int32 * 3),
    ]


class StreamMeta(ctypes.Structure):
    """PixoraStreamMeta (56 bytes): what the library knows of a frame of the queue."""

    _fields_ = [
        ("sequence", c_uint64),
        ("timestampUs", c_uint64),
    ] + [
        (name, c_int32)
        for name in (
            "dropped",
            "triggered",
            "colorMode",
            "raw",
            "bayerPattern",
            "exposure",
            "analogGain",
            "whiteBalanceRed",
            "whiteBalanceGreen",
            "whiteBalanceBlue",
        )
    ]


class StreamPixels(ctypes.Union):
    """The pixel address of a PixoraStreamFrame, 64 bits wide in every program."""

    _fields_ = [("data", c_void_p), ("padding", c_uint64)]


class StreamFrame(ctypes.Structure):
    """PixoraStreamFrame (104 bytes): a frame taken with PixoraEx_TakeFrame."""

    _fields_ = [
        ("size", c_int32),
        ("bitsPerPixel", c_int32),
        ("width", c_int32),
        ("height", c_int32),
        ("stride", c_int32),
        ("reserved", c_int32),
        ("pixels", StreamPixels),
        ("bytes", c_uint64),
        ("lease", c_uint64),
        ("meta", StreamMeta),
    ]


class StreamStatus(ctypes.Structure):
    """PixoraStreamStatus (80 bytes): a frame queue's state and shape."""

    _fields_ = [
        (name, c_int32)
        for name in (
            "size",
            "state",
            "buffers",
            "queued",
            "held",
            "triggered",
            "raw",
            "dropPolicy",
            "colorMode",
            "bitsPerPixel",
            "width",
            "height",
            "stride",
            "bayerPattern",
        )
    ] + [
        ("bytes", c_uint64),
        ("droppedByQueue", c_uint64),
        ("framesPerSecondMilli", c_int32),
        ("reserved", c_int32),
    ]


def new_record(record_type):
    """A zeroed record of ``record_type`` with its ``size`` field set to its own size."""
    record = record_type()
    record.size = ctypes.sizeof(record_type)
    return record
