"""The Camera class: one open session with a 530TZ camera."""

import ctypes
import difflib
import os
import threading
import time
import weakref
from typing import Callable, Dict, Iterator, List, NamedTuple, Optional, Tuple, Union

import numpy as np

from . import _library, images
from ._records import CameraInfo as _CameraInfo
from ._records import FrameCounts as _FrameCounts
from ._records import StreamFrame, StreamOptions, new_record
from ._records import StreamStatus as _StreamStatus
from .constants import AutoIris, CaptureState, ErrorCode, Filter, SaveFormat
from .errors import CameraClosedError, PixoraError, StreamTimeoutError
from .frames import BAYER_PATTERNS, Frame, Stream, _Lease
from .settings import SETTINGS, Setting, int32, setting_range

DEVICE_INDICES = range(8)

# Stream waits are cut into slices this long, so that Ctrl-C (handled by Python between two
# calls) stops a stream within one slice.
WAIT_SLICE_MS = 150

_NAME_BYTES = 256

# The frame queue (PixoraExtensions.h): its largest size, drop policies and take results.
MAX_BUFFERS = 64
_DROP_POLICIES = {"newest": 0, "oldest": 1}
_TAKE_FRAME, _TAKE_TIMEOUT, _TAKE_STOPPED, _TAKE_FAILED = 1, 0, 2, 3

# File extensions of Camera.save, and JPEG qualities the library has formats for.
_EXTENSIONS = {
    ".bmp": SaveFormat.BMP,
    ".raw": SaveFormat.RAW,
    ".jpg": SaveFormat.JPEG,
    ".jpeg": SaveFormat.JPEG,
    ".png": SaveFormat.PNG,
    ".tif": SaveFormat.TIFF,
    ".tiff": SaveFormat.TIFF,
}
_JPEG_QUALITIES = {100: SaveFormat.JPEG, 70: SaveFormat.JPEG_70, 20: SaveFormat.JPEG_20}


class CameraInfo(NamedTuple):
    """What Pixora_GetCameraInfo reports: the sensor's size and the analog ranges."""

    sensor_width: int
    sensor_height: int
    gain_min: int
    gain_max: int
    exposure_min: int
    exposure_max: int


class FrameCounts(NamedTuple):
    """Every frame the camera sent to a handle, counted once (PixoraEx_GetFrameCounts):
    delivered (handed out or kept for a copy), dropped (skipped for a newer frame, or left
    at a stop) and failed (lost in transfer, or not convertible)."""

    delivered: int
    dropped: int
    failed: int


def _text(buffer: ctypes.Array) -> str:
    return buffer.value.decode("utf-8", "replace")


def _error_text(code: int) -> str:
    return _library.library().PixoraEx_ErrorText(code).decode("utf-8", "replace")


# What a Camera puts back when it closes: per setting, the setter and the value it had
# before the program first changed it.
_Originals = Dict[str, Tuple[str, Optional[int], int]]


def _put_back(library: ctypes.CDLL, handle: int, originals: _Originals) -> None:
    """Writes the settings in ``originals`` back, the last changed first, so that the store
    keeps what it had before the program ran; best effort (a refusal changes nothing)."""
    for function, index, value in reversed(list(originals.values())):
        if index is None:
            getattr(library, function)(handle, value)
        else:
            library.Pixora_SetFilterValue(handle, index, value)
    originals.clear()
    while library.Pixora_GetLastError(handle) != 0:
        pass


def _release(library: ctypes.CDLL, handle: int, originals: _Originals) -> None:
    # The finalizer of a Camera that was not closed: garbage collection or interpreter exit.
    _put_back(library, handle, originals)
    library.Pixora_Release(handle)


def cameras() -> List[Tuple[int, str]]:
    """The cameras present, as (device index, name) pairs, for example
    ``[(0, 'Pixora530TZ_01')]``; an empty list when there is none.

    Names are ``Pixora530TZ_NN`` with NN the index plus one. An open Camera is asked when
    there is one; otherwise a handle is opened for the question and released.
    """
    with Camera._open_lock:
        open_cameras = list(Camera._open_cameras)
    for camera in open_cameras:
        try:
            return camera._device_names()
        except CameraClosedError:
            continue
    library = _library.library()
    handle = library.Pixora_Initialize(None)
    if not handle:
        raise PixoraError("Pixora_Initialize gave no handle", function="Pixora_Initialize")
    try:
        return _device_names(library, handle)
    finally:
        library.Pixora_Release(handle)


def _device_names(library: ctypes.CDLL, handle: int) -> List[Tuple[int, str]]:
    found = []
    name = ctypes.create_string_buffer(_NAME_BYTES)
    for index in DEVICE_INDICES:
        if library.Pixora_GetDeviceName(handle, index, name, _NAME_BYTES) == 1:
            found.append((index, _text(name)))
    # Absent indexes record "device not found": that is the answer, not a failure.
    while library.Pixora_GetLastError(handle) != 0:
        pass
    return found


class Camera:
    """An open session with one 530TZ camera.

    ``Camera(device=0)`` opens the camera at a device index (0..7, see ``pixora.cameras()``)
    and raises PixoraError (code ``ErrorCode.DEVICE_NOT_FOUND``) when there is none. Close it
    with ``close()``, or use it as a context manager; any call after that raises
    CameraClosedError. A Camera that is garbage-collected or still open at interpreter exit
    is released then. The settings it changed are put back when it closes, unless it was
    opened with ``keep_settings=True``; assigning an attribute it does not have raises
    AttributeError.

    Pictures come as numpy arrays: of their own from ``snapshot()``, views of the library's
    queue buffers from ``stream()`` (shapes and channel orders in ``pixora.images``). The picture and analog settings are attributes
    (``cam.brightness = 40``, ``cam.gain``, ``cam.exposure``, ...; their ranges with
    ``Camera.range(name)``). Every failure raises PixoraError with the library's error code.

    A Camera may be used from several threads: calls run one at a time (as the library runs
    them), and ``close()`` from another thread ends a stream of this camera with
    CameraClosedError.

    Example::

        with pixora.Camera() as cam:
            cam.exposure = 400
            picture = cam.snapshot()          # (1024, 1360, 3) uint8, RGB
            for frame in cam.stream(count=10):
                print(frame.sequence, frame.dropped)
    """

    # The open cameras, which pixora.cameras() asks instead of opening one more handle.
    _open_cameras: "weakref.WeakSet[Camera]" = weakref.WeakSet()
    _open_lock = threading.Lock()

    # Picture settings (the library applies them to the next processed frame).
    brightness = Setting("brightness")
    contrast = Setting("contrast")
    hue = Setting("hue")
    saturation = Setting("saturation")
    sharpness = Setting("sharpness")
    gamma = Setting("gamma")
    bayer_mode = Setting("bayer_mode")
    bayer_gain_red = Setting("bayer_gain_red")
    bayer_gain_green = Setting("bayer_gain_green")
    bayer_gain_blue = Setting("bayer_gain_blue")
    bayer_gain_auto = Setting("bayer_gain_auto", bool)
    auto_white_balance = Setting("auto_white_balance", bool)
    gray_mode = Setting("gray_mode")
    gray_gain_r = Setting("gray_gain_r")
    gray_gain_g1 = Setting("gray_gain_g1")
    gray_gain_g2 = Setting("gray_gain_g2")
    gray_gain_b = Setting("gray_gain_b")
    gray_offset_r = Setting("gray_offset_r")
    gray_offset_g1 = Setting("gray_offset_g1")
    gray_offset_g2 = Setting("gray_offset_g2")
    gray_offset_b = Setting("gray_offset_b")
    # Analog settings, written to the camera (reading the exposure takes about 120 ms).
    global_gain = Setting("global_gain")
    gain = Setting("gain")
    exposure_time = Setting("exposure_time")
    exposure = Setting("exposure")

    range = staticmethod(setting_range)

    def __init__(self, device: int = 0, keep_settings: bool = False) -> None:
        self._lib = _library.library()
        self._lock = threading.RLock()
        self._handle: Optional[int] = None
        self._keep_settings = bool(keep_settings)
        self._originals: _Originals = {}
        self._stream_owner: Optional[object] = None  # the running stream's token
        self._stream_taken = 0  # frames the running stream handed out
        device = int32(device, "device")
        if device not in DEVICE_INDICES:
            raise PixoraError(
                f"no device {device}: device indexes are 0..7", ErrorCode.DEVICE_NOT_FOUND
            )
        handle = self._lib.Pixora_Initialize(None)
        if not handle:
            raise PixoraError("Pixora_Initialize gave no handle", function="Pixora_Initialize")
        self._handle = handle
        self._finalizer = weakref.finalize(self, _release, self._lib, handle, self._originals)
        try:
            # Initialisation opens index 0 whether or not a camera is there; what it recorded
            # about that is answered below for the index asked for.
            self._discard_errors()
            if device != 0:
                self._call("Pixora_SetDeviceNumber", device, what=f"opening camera {device}")
            name = ctypes.create_string_buffer(_NAME_BYTES)
            self._call(
                "Pixora_GetDeviceName", device, name, _NAME_BYTES, what=f"opening camera {device}"
            )
        except BaseException:
            self.close()
            raise
        self._device = device
        self._name = _text(name)
        with Camera._open_lock:
            Camera._open_cameras.add(self)

    # --- Session -------------------------------------------------------------------------

    def close(self) -> None:
        """Stops any capture, puts back the settings this Camera changed (unless it was
        opened with ``keep_settings=True``) and releases the camera, which stores its
        settings for the next session. Frames still held stay valid until released. Further
        calls raise CameraClosedError; closing again does nothing."""
        with self._lock:
            handle, self._handle = self._handle, None
            if handle is None:
                return
            self._finalizer.detach()
            with Camera._open_lock:
                Camera._open_cameras.discard(self)
            _put_back(self._lib, handle, self._originals)
            if self._lib.Pixora_Release(handle) != 1:
                raise PixoraError("Pixora_Release failed", function="Pixora_Release")

    @property
    def closed(self) -> bool:
        """True once the camera is closed."""
        return self._handle is None

    def __enter__(self) -> "Camera":
        self._require()
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def __repr__(self) -> str:
        if self._handle is None:
            return "<pixora.Camera closed>"
        return f"<pixora.Camera device {self._device} {self._name!r}>"

    @property
    def device(self) -> int:
        """The device index the camera was opened at."""
        self._require()
        return self._device

    @property
    def name(self) -> str:
        """The camera's name, for example ``'Pixora530TZ_01'``."""
        self._require()
        return self._name

    @property
    def width(self) -> int:
        """Width of the pictures in pixels (1360)."""
        return self._call("Pixora_Width")

    @property
    def height(self) -> int:
        """Height of the pictures in pixels (1024)."""
        return self._call("Pixora_Height")

    @property
    def bits(self) -> int:
        """The colour mode: bits per pixel, 8, 16, 24, 32, 48 or 64 (``pixora.images``).
        snapshot() and stream() set it from their own argument."""
        return self._call("Pixora_GetColorMode", failure=-1)

    @bits.setter
    def bits(self, bits: int) -> None:
        self._set_bits(bits)

    @property
    def wait_time(self) -> int:
        """Milliseconds the library's polled captures (its callback preview and trigger
        functions) sleep between looks at the camera (10); stream() is not paced by it."""
        return self._call("Pixora_GetWaitTime", failure=-1)

    @wait_time.setter
    def wait_time(self, milliseconds: int) -> None:
        milliseconds = int32(milliseconds, "wait_time")
        if milliseconds < 0:
            raise PixoraError(f"wait_time {milliseconds} is negative", ErrorCode.BAD_ARGUMENT)
        self._call("Pixora_SetWaitTime", milliseconds, what="wait_time")

    @property
    def info(self) -> CameraInfo:
        """The sensor's size and the gain and exposure ranges the camera keeps."""
        record = new_record(_CameraInfo)
        self._call("Pixora_GetCameraInfo", ctypes.byref(record), what="camera information")
        return CameraInfo(
            record.sensorWidth,
            record.sensorHeight,
            record.gainMin,
            record.gainMax,
            record.exposureMin,
            record.exposureMax,
        )

    @property
    def state(self) -> CaptureState:
        """What the camera is doing: IDLE, PREVIEW (a stream), CAPTURE or TRIGGER."""
        with self._lock:
            return CaptureState(self._lib.PixoraEx_GetCaptureState(self._require()))

    @property
    def counts(self) -> FrameCounts:
        """Frames delivered, dropped and failed so far; once no stream runs they add up to
        every frame the camera sent."""
        record = new_record(_FrameCounts)
        with self._lock:
            if not self._lib.PixoraEx_GetFrameCounts(self._require(), ctypes.byref(record)):
                raise PixoraError("PixoraEx_GetFrameCounts failed")
        return FrameCounts(record.delivered, record.dropped, record.failed)

    # --- Pictures ------------------------------------------------------------------------

    def snapshot(self, bits: int = 24) -> np.ndarray:
        """Takes one frame in colour mode ``bits`` and returns it as a new array:
        (height, width, 3) uint8 RGB for 24 bits, (height, width, 3) uint16 RGB (0..1023)
        for 48, (height, width, 4) for 32 and 64 (RGB, then the spare byte or word),
        (height, width) uint8 for 8 and uint16 for 16 (the raw Bayer mosaic).

        Not while a stream runs (PixoraError, code 0). The frame stays in the library for
        ``save()``.
        """
        with self._lock:
            self._set_bits(bits)
            width, height = self.width, self.height
            memory = images.new_buffer(width, height, bits)
            self._call(
                "Pixora_SnapShot",
                memory.ctypes.data,
                memory.nbytes,
                1,
                what="snapshot",
                silent="no frame came from the camera in time",
            )
        return images.to_array(memory, width, height, bits)

    def save(self, path: Union[str, os.PathLike], quality: int = 100) -> None:
        """Saves the library's last picture (the last snapshot; a stream's frames are the
        stream's, not the library's) as a file whose format follows the extension: .bmp, .raw, .jpg or
        .jpeg (``quality`` 100, 70 or 20), .png, .tif or .tiff.

        Fails with PixoraError when there is no picture yet, and with code 0 and the
        system's reason in ``detail`` when the file cannot be written.
        """
        path = os.fspath(path)
        extension = os.path.splitext(path)[1].lower()
        if extension not in _EXTENSIONS:
            raise PixoraError(
                f"cannot save {path!r}: no format for the extension {extension!r} "
                f"(one of {', '.join(_EXTENSIONS)})",
                ErrorCode.BAD_ARGUMENT,
            )
        format = _EXTENSIONS[extension]
        if format == SaveFormat.JPEG:
            if quality not in _JPEG_QUALITIES:
                raise PixoraError(
                    f"JPEG quality {quality}: the library writes 100, 70 or 20",
                    ErrorCode.BAD_ARGUMENT,
                )
            format = _JPEG_QUALITIES[quality]
        # The library takes the name in the system's narrow encoding: on Windows the ANSI
        # code page, not the UTF-8 of os.fsencode.
        name = path.encode("mbcs") if os.name == "nt" else os.fsencode(path)
        self._call("Pixora_SaveImage", name, format, what=f"saving {path!r}")

    def stream(
        self,
        bits: int = 24,
        count: Optional[int] = None,
        timeout: Optional[float] = 5.0,
        trigger: bool = False,
        buffers: int = 4,
        raw: bool = False,
        order: str = "rgb",
        drop: str = "oldest",
    ) -> Stream:
        """Streams frames in colour mode ``bits`` through a queue of ``buffers`` buffers
        (1..64) that the library fills as each frame's transfer ends: returns an iterator of
        ``Frame`` (the picture as a numpy view of its buffer, with its ``sequence``,
        ``timestamp``, ``dropped`` and the settings it was taken with).

        A frame's buffer is not rewritten while the frame is held: ``frame.release()`` or
        ``with frame:`` gives it back, and so does garbage collection of the frame (in a
        ``for`` loop, the previous frame is let go when the next one is bound);
        ``frame.copy()`` keeps one. While a buffer is free no frame is lost; when every
        buffer is queued or held, ``drop`` says which frame goes: "oldest" (the oldest
        queued one, so a slow loop gets recent frames) or "newest" (the arriving one, so a
        burst keeps its first frames). Either way it is counted in the next frame's
        ``dropped``.

        ``order``: "rgb" (red, green, blue; for 24 and 48 bits a view with the channels
        reversed, for 32 and 64 bits a copy) or "bgr" (the library's order, as OpenCV takes
        it, always a view). ``raw``: the mosaic as the camera sent it, no adjustment nor
        mirror whatever the stored settings, 8-bit samples for ``bits`` 8, 24 and 32 and
        10-bit samples (0..1023, uint16) for 16, 48 and 64; ``frame.bayer_pattern`` names
        its colours.

        The camera streams from the first frame asked for until ``count`` frames were
        handed out (None: without end), or the loop is left (``break``, an exception,
        Ctrl-C) or the Stream is closed; then it stops.

        ``timeout``: seconds without a frame before StreamTimeoutError (a PixoraError and a
        TimeoutError; None: wait without limit). ``trigger``: one frame per external
        trigger pulse instead of a free run; pauses between pulses of any length are waited
        out, so pass a ``timeout`` that fits the pulses, or None.

        Example::

            with cam.stream(count=100) as frames:
                for frame in frames:
                    with frame:
                        process(frame.image)
            print(frames.received, frames.dropped)
        """
        self._require()
        if bits not in images.COLOR_MODES:
            raise PixoraError(
                f"colour mode {bits}: the modes are {images.COLOR_MODES}", ErrorCode.BAD_ARGUMENT
            )
        if count is not None and count < 0:
            raise PixoraError(f"count {count} is negative", ErrorCode.BAD_ARGUMENT)
        if not 1 <= int32(buffers, "buffers") <= MAX_BUFFERS:
            raise PixoraError(
                f"buffers {buffers}: a stream has 1..{MAX_BUFFERS}", ErrorCode.BAD_ARGUMENT
            )
        if order not in ("rgb", "bgr"):
            raise PixoraError(f'order {order!r}: "rgb" or "bgr"', ErrorCode.BAD_ARGUMENT)
        if drop not in _DROP_POLICIES:
            raise PixoraError(f'drop {drop!r}: "oldest" or "newest"', ErrorCode.BAD_ARGUMENT)
        options = new_record(StreamOptions)
        options.buffers = buffers
        options.triggered = 1 if trigger else 0
        options.raw = 1 if raw else 0
        options.dropPolicy = _DROP_POLICIES[drop]
        return Stream(self._frames(bits, count, timeout, options, order))

    def _frames(
        self,
        bits: int,
        count: Optional[int],
        timeout: Optional[float],
        options: StreamOptions,
        order: str,
    ) -> Iterator[Frame]:
        if count == 0:
            return
        mode = "trigger" if options.triggered else "free-running"
        # The stream this generator started, whatever happens between the start and the
        # first statement after it (a Ctrl-C may come anywhere).
        token = object()
        try:
            handle, status = self._open_stream(bits, options, mode, token)
            layout = images.layout(status.width, status.height, status.stride, status.bitsPerPixel)
            pattern = BAYER_PATTERNS.get(status.bayerPattern)
            frame_bits = status.bitsPerPixel
            take = self._lib.PixoraEx_TakeFrame
            received = 0
            limit = None if timeout is None else time.monotonic() + timeout
            while count is None or received < count:
                record = new_record(StreamFrame)
                # Not under the lock: the take holds nothing of the camera, and close()
                # from another thread ends it at once.
                result = take(handle, ctypes.byref(record), WAIT_SLICE_MS)
                if result == _TAKE_FRAME:
                    received += 1
                    self._stream_taken += 1
                    if limit is not None:
                        limit = time.monotonic() + timeout  # type: ignore[operator]
                    made = [self._frame_of(record, layout, pattern, frame_bits, order)]
                    if received == count:
                        # The last frame: the camera stops before the loop works on it.
                        self._stop_stream(token, check=True)
                    # Popped in the yield: a frame the loop drops is not kept alive (with
                    # its buffer) by this generator while it waits for the next.
                    yield made.pop()
                elif result == _TAKE_TIMEOUT:
                    if limit is not None and time.monotonic() >= limit:
                        raise self._timed_out(handle, timeout, mode)
                elif result == _TAKE_FAILED:
                    raise self._stream_failure(mode)
                elif result == _TAKE_STOPPED:
                    self._require()
                    raise PixoraError(f"the {mode} stream was stopped by another call")
                else:
                    raise CameraClosedError(f"the camera was closed during the {mode} stream")
        except BaseException:
            self._stop_stream(token, check=False)
            raise

    def _frame_of(
        self,
        record: StreamFrame,
        layout: dict,
        pattern: Optional[str],
        bits: int,
        order: str,
    ) -> Frame:
        meta = record.meta
        return Frame(
            images.in_order(np.asarray(_Lease(self._lib, record, dict(layout))), bits, order),
            meta.sequence,
            meta.timestampUs / 1e6,
            meta.dropped,
            bits,
            raw=bool(meta.raw),
            bayer_pattern=pattern,
            exposure=meta.exposure,
            gain=meta.analogGain,
            white_balance=(meta.whiteBalanceRed, meta.whiteBalanceGreen, meta.whiteBalanceBlue),
            triggered=bool(meta.triggered),
        )

    def _open_stream(
        self, bits: int, options: StreamOptions, mode: str, token: object
    ) -> Tuple[int, _StreamStatus]:
        with self._lock:
            handle = self._require()
            if self._stream_owner is not None:
                raise PixoraError("this camera streams already")
            self._set_bits(bits)
            self._stream_owner = token
            self._stream_taken = 0
            self._call(
                "PixoraEx_OpenStream", ctypes.byref(options), what=f"starting the {mode} stream"
            )
            return handle, self._stream_status()

    def _stream_status(self) -> _StreamStatus:
        status = new_record(_StreamStatus)
        if not self._lib.PixoraEx_GetStreamStatus(self._require(), ctypes.byref(status)):
            raise PixoraError("PixoraEx_GetStreamStatus failed")
        return status

    def _timed_out(self, handle: int, timeout: Optional[float], mode: str) -> PixoraError:
        with self._lock:
            status = self._stream_status()
        if status.held >= status.buffers:
            return StreamTimeoutError(
                f"no frame came within {timeout} s: all {status.buffers} buffers of the "
                f"{mode} stream are held by frames not released (release() them, keep "
                "copy() of them, or stream with more buffers)"
            )
        return StreamTimeoutError(f"no frame came within {timeout} s ({mode} stream)")

    def _stream_failure(self, mode: str) -> PixoraError:
        with self._lock:
            self._require()
            code = self._pop_errors() or ErrorCode.STREAM_FAILED
            text = ctypes.create_string_buffer(1024)
            detail = None
            if self._lib.PixoraEx_GetFailureDetail(self._handle, text, len(text)) == 1:
                detail = _text(text) or None
        message = f"the {mode} stream stopped: {_error_text(code)} (error {code})"
        if detail:
            message += f"; {detail}"
        return PixoraError(message, code, "PixoraEx_TakeFrame", detail)

    def _stop_stream(self, token: object, check: bool) -> None:
        """Stops the stream started with ``token``; nothing when it is stopped already.
        Frames still held stay valid until they are released."""
        with self._lock:
            if self._stream_owner is not token:
                return
            self._stream_owner = None
            if self._handle is None:
                return
            if check:
                self._call("PixoraEx_CloseStream", what="stopping the stream")
            else:
                self._lib.PixoraEx_CloseStream(self._handle)
                self._pop_errors()

    # --- Settings ------------------------------------------------------------------------

    @property
    def mirror_v(self) -> bool:
        """True turns the picture upside down."""
        return bool(self._call("Pixora_GetMirrorV", failure=None, what="mirror_v"))

    @mirror_v.setter
    def mirror_v(self, flag: bool) -> None:
        self._remember("mirror_v", "Pixora_SetMirrorV", lambda: int(self.mirror_v))
        self._call("Pixora_SetMirrorV", 1 if flag else 0, what="mirror_v")

    @property
    def auto_iris(self) -> AutoIris:
        """Automatic exposure control: AutoIris.OFF, EXPOSURE or GAIN."""
        ok = ctypes.c_int32()
        mode = self._call("Pixora_GetAutoIris", ctypes.byref(ok), failure=None, what="auto_iris")
        if not ok.value:
            raise PixoraError("auto_iris could not be read", function="Pixora_GetAutoIris")
        return AutoIris(mode)

    @auto_iris.setter
    def auto_iris(self, mode: int) -> None:
        self._remember("auto_iris", "Pixora_SetAutoIris", lambda: int(self.auto_iris))
        if mode:
            # Automatic exposure moves the exposure and the gain: both are put back.
            self._remember_filter("exposure_time")
            self._remember_filter("global_gain")
        self._call("Pixora_SetAutoIris", int32(mode, "auto_iris"), what=f"auto_iris {mode}")

    @property
    def white_balance(self) -> Tuple[int, int, int]:
        """The white-balance gains (red, green, blue) in percent, 100 for unity, 0..400."""
        with self._lock:
            return (self.bayer_gain_red, self.bayer_gain_green, self.bayer_gain_blue)

    @white_balance.setter
    def white_balance(self, gains: Tuple[int, int, int]) -> None:
        red, green, blue = gains
        with self._lock:
            self.bayer_gain_red, self.bayer_gain_green, self.bayer_gain_blue = red, green, blue

    def white_balance_once(self, timeout: float = 5.0) -> Tuple[int, int, int]:
        """Measures the white balance on one colour frame, keeps the gains it finds and
        returns them (red, green, blue). When no stream runs it takes a snapshot for it (in
        24 bits when the colour mode is a gray one); during a stream it waits for the
        stream's next frames. ``auto_white_balance`` (every frame) is left as it was."""
        with self._lock:
            state = self.state
            if state == CaptureState.TRIGGER:
                raise PixoraError("no white balance in trigger mode: stop it first")
            streaming = state == CaptureState.PREVIEW
            if streaming:
                status = self._stream_status()
                colour = status.colorMode not in (8, 16) and not status.raw
                if not colour:
                    raise PixoraError(
                        "the white balance needs a colour mode; the stream is gray or raw"
                    )
            else:
                colour = self.bits not in (8, 16)
            for name in ("bayer_gain_red", "bayer_gain_green", "bayer_gain_blue"):
                self._remember_filter(name)
            before = self.bayer_gain_auto
            self.bayer_gain_auto = True
        try:
            if streaming:
                self._wait_frames(2, timeout)
            else:
                self.snapshot(self.bits if colour else 24)
        finally:
            if not self.closed:
                self.bayer_gain_auto = before
        return self.white_balance

    def _frames_arrived(self) -> int:
        # Frames of this camera's stream that reached the queue: taken, queued or dropped.
        status = self._stream_status()
        return self._stream_taken + status.queued + status.droppedByQueue

    def _wait_frames(self, frames: int, timeout: float) -> None:
        # The frame in progress may have started before the request: wait for the one after.
        with self._lock:
            target = self._frames_arrived() + frames
        limit = time.monotonic() + timeout
        while time.monotonic() < limit:
            with self._lock:
                if self._frames_arrived() >= target:
                    return
                if self.state != CaptureState.PREVIEW:
                    raise PixoraError("the stream ended while waiting for its frames")
            time.sleep(0.005)
        raise StreamTimeoutError(f"no frame came within {timeout} s")

    # --- Registers -----------------------------------------------------------------------

    def read_register(self, address: int) -> int:
        """The value last written to sensor register ``address`` (0..191) through the
        library since the camera was opened."""
        ok = ctypes.c_int32()
        with self._lock:
            value = self._call(
                "Pixora_ReadRegister",
                int32(address, "address"),
                ctypes.byref(ok),
                failure=None,
                what=f"reading register {address}",
            )
        return value

    def write_register(self, address: int, value: int) -> None:
        """Writes ``value`` to sensor register ``address`` (0..191; 6-bit values)."""
        self._call(
            "Pixora_WriteRegister",
            int32(address, "address"),
            int32(value, "value"),
            what=f"writing register {address}",
        )

    # --- Calls and errors ----------------------------------------------------------------

    def _require(self) -> int:
        handle = self._handle
        if handle is None:
            raise CameraClosedError("the camera is closed")
        return handle

    def _set_bits(self, bits: int) -> None:
        bits = int32(bits, "bits")
        self._remember("bits", "Pixora_SetColorMode", lambda: self.bits)
        self._call("Pixora_SetColorMode", bits, what=f"colour mode {bits}")

    def _get_filter(self, index: int, name: str) -> int:
        ok = ctypes.c_int32()
        with self._lock:
            value = self._call(
                "Pixora_GetFilterValue", index, ctypes.byref(ok), failure=None, what=name
            )
        return value

    def _set_filter(self, index: int, value: int, name: str) -> None:
        self._remember_filter(name)
        try:
            self._call("Pixora_SetFilterValue", index, value, what=f"{name} = {value}")
        except PixoraError as error:
            if error.code != ErrorCode.BAD_ARGUMENT or index == Filter.BAYER_GAIN_AUTO:
                raise
            low, high = setting_range(name)
            raise PixoraError(
                f"{name} = {value}: outside {low}..{high}",
                error.code,
                error.function,
            ) from None

    def _remember(self, key: str, function: str, read: Callable[[], int]) -> None:
        """Notes a setting's value before this Camera first changes it, to put it back at
        close() (nothing with keep_settings=True)."""
        with self._lock:
            if self._keep_settings or key in self._originals:
                return
            self._originals[key] = (function, None, read())

    def _remember_filter(self, name: str) -> None:
        with self._lock:
            if self._keep_settings or name in self._originals:
                return
            index = SETTINGS[name].index
            value = self._get_filter(index, name)
            # The camera may keep an exposure (1068) beyond what the setter takes.
            low, high = setting_range(name)
            self._originals[name] = ("Pixora_SetFilterValue", index, min(max(value, low), high))

    def __setattr__(self, name: str, value: object) -> None:
        # A misspelt setting (cam.exposre = 100) must not pass for a new attribute.
        if not name.startswith("_") and not hasattr(type(self), name):
            public = [n for n in dir(type(self)) if not n.startswith("_")]
            near = difflib.get_close_matches(name, public, 1)
            hint = f"; did you mean {near[0]!r}?" if near else ""
            raise AttributeError(f"pixora.Camera has no attribute {name!r}{hint}")
        object.__setattr__(self, name, value)

    def _device_names(self) -> List[Tuple[int, str]]:
        with self._lock:
            return _device_names(self._lib, self._require())

    def _discard_errors(self) -> None:
        self._pop_errors()

    def _pop_errors(self) -> int:
        """Empties the camera's error stack; the newest code, 0 when it was empty."""
        newest = 0
        while True:
            code = self._lib.Pixora_GetLastError(self._handle)
            if code == 0:
                return newest
            newest = newest or code

    def _call(
        self,
        function: str,
        *arguments: object,
        failure: Optional[int] = 0,
        what: Optional[str] = None,
        silent: Optional[str] = None,
    ) -> int:
        """Calls ``function`` with this camera's handle and ``arguments`` and returns its
        result, raising PixoraError when it failed: when it returned ``failure``, or (with
        ``failure=None``, for getters whose every value is valid) when it recorded a code.
        ``what`` names the action in the message; ``silent`` explains a failure without a
        code that the capture state does not explain."""
        with self._lock:
            handle = self._require()
            # Codes left by earlier calls or by the stream's worker are not this call's.
            self._pop_errors()
            result = getattr(self._lib, function)(handle, *arguments)
            if failure is None:
                code = self._pop_errors()
                if code == 0:
                    return result
            elif result != failure:
                return result
            else:
                code = self._pop_errors()
            raise self._error(function, code, what or function, silent)

    def _error(self, function: str, code: int, what: str, silent: Optional[str]) -> PixoraError:
        detail = None
        if function == "Pixora_SaveImage":
            # The reason a file could not be written (each save clears it first).
            text = ctypes.create_string_buffer(1024)
            if self._lib.PixoraEx_GetFailureDetail(self._handle, text, len(text)) == 1:
                detail = _text(text)
        if code != 0:
            reason = _error_text(code)
        elif detail is not None:
            reason = detail
        else:
            state = CaptureState(self._lib.PixoraEx_GetCaptureState(self._handle))
            if state != CaptureState.IDLE:
                reason = f"refused while the camera is in {state.name.lower()} state"
            else:
                reason = silent or "the library gave no reason"
        message = f"{what} failed: {reason}"
        if code != 0:
            message += f" (error {code})"
        if detail is not None and code != 0:
            message += f"; {detail}"
        return PixoraError(message, code, function, detail)
