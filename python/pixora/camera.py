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
from . import controls as _controls
from ._records import CameraInfo as _CameraInfo
from ._records import FrameCounts as _FrameCounts
from ._records import StreamFrame, StreamOptions, new_record
from ._records import StreamStatus as _StreamStatus
from .constants import AutoIris, CaptureState, ErrorCode, Filter
from .errors import CameraClosedError, LibraryError, PixoraError, StreamTimeoutError
from .frames import BAYER_PATTERNS, Frame, Stream, _Lease
from .settings import int32, setting_range

DEVICE_INDICES = range(8)

# Stream waits are cut into slices this long, so that Ctrl-C (handled by Python between two
# calls) stops a stream within one slice.
WAIT_SLICE_MS = 150

_NAME_BYTES = 256

# The frame queue (PixoraExtensions.h): its largest size, drop policies and take results.
MAX_BUFFERS = 64
_DROP_POLICIES = {"newest": 0, "oldest": 1}
_TAKE_FRAME, _TAKE_TIMEOUT, _TAKE_STOPPED, _TAKE_FAILED = 1, 0, 2, 3

# The four controls of the capture window, in the order of Camera.roi.
_WINDOW = ("offset-x", "offset-y", "width", "height")


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


# What a Camera puts back when it closes: per setting, the setter, the control id or filter
# index it takes (None: none) and the value it had before the program first changed it.
_Originals = Dict[str, Tuple[str, Optional[int], int]]


def _put_back(library: ctypes.CDLL, handle: int, originals: _Originals) -> None:
    """Writes the settings in ``originals`` back, the last changed first, so that the store
    keeps what it had before the program ran; best effort (a refusal changes nothing)."""
    for function, index, value in reversed(list(originals.values())):
        if index is None:
            getattr(library, function)(handle, value)
        else:
            getattr(library, function)(handle, index, value)
    originals.clear()
    while library.Pixora_GetLastError(handle) != 0:
        pass


def _balance_gains() -> Tuple[_controls.Control, ...]:
    return tuple(
        _controls.by_filter(index)
        for index in (Filter.BAYER_GAIN_RED, Filter.BAYER_GAIN_GREEN, Filter.BAYER_GAIN_BLUE)
    )


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


class _ControlAttribute:
    """A control of the library as an attribute of Camera: reading asks the camera, writing
    sets it (PixoraEx_GetControl, PixoraEx_SetControl)."""

    def __init__(self, control: _controls.Control, attribute: str) -> None:
        self.control = control
        alias = f" (the same as {control.attribute})" if attribute != control.attribute else ""
        doc = control.doc()
        first = doc.index(". ") if ". " in doc else len(doc) - 1
        self.__doc__ = doc[:first] + alias + doc[first:]

    def __get__(self, camera, owner=None):
        if camera is None:
            return self
        return camera._get_control(self.control)

    def __set__(self, camera, value) -> None:
        camera._set_control(self.control, value)


class _CameraType(type):
    """Gives Camera an attribute for every control (and alias) of the loaded library, the
    first time the class is looked into or a Camera is made, so that help() lists them."""

    def _install_controls(cls) -> None:
        if cls.__dict__.get("_controls_installed"):
            return
        for control in _controls.all_controls():
            if "refused" in control.flags:
                continue
            names = (control.attribute,) + tuple(a.replace("-", "_") for a in control.aliases)
            for name in names:
                # An attribute of the class's own (bits, auto_iris) stays as it is.
                if not any(name in klass.__dict__ for klass in cls.__mro__):
                    type.__setattr__(cls, name, _ControlAttribute(control, name))
        type.__setattr__(cls, "_controls_installed", True)

    def __dir__(cls):
        try:
            cls._install_controls()
        except LibraryError:
            pass  # help() without the library: the class's own attributes
        return super().__dir__()

    def __getattr__(cls, name: str):
        # Only called for names the class does not have (yet).
        if name.startswith("_") or cls.__dict__.get("_controls_installed"):
            raise AttributeError(f"type object {cls.__name__!r} has no attribute {name!r}")
        try:
            cls._install_controls()
        except LibraryError:
            raise AttributeError(f"type object {cls.__name__!r} has no attribute {name!r}")
        return getattr(cls, name)


class Camera(metaclass=_CameraType):
    """An open session with one 530TZ camera.

    ``Camera(device=0)`` opens the camera at a device index (0..7, see ``pixora.cameras()``)
    and raises PixoraError (code ``ErrorCode.DEVICE_NOT_FOUND``) when there is none. Close it
    with ``close()``, or use it as a context manager; any call after that raises
    CameraClosedError. A Camera that is garbage-collected or still open at interpreter exit
    is released then. The settings it changed are put back when it closes, unless it was
    opened with ``keep_settings=True``; assigning an attribute it does not have raises
    AttributeError.

    Pictures come as numpy arrays: of their own from ``snapshot()``, views of the library's
    queue buffers from ``stream()`` (shapes and channel orders in ``pixora.images``). Every
    control the library describes is an attribute, its name with ``_`` for ``-``
    (``cam.brightness = 40``, ``cam.gain``, ``cam.exposure``, ``cam.offset_x``, ...), and
    ``cam.controls`` tells their ranges, defaults and meaning; ``cam.roi`` is the capture
    window. Every failure raises PixoraError with the library's error code.

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

    range = staticmethod(setting_range)

    def __init__(self, device: int = 0, keep_settings: bool = False) -> None:
        self._lib = _library.library()
        type(self)._install_controls()
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
    def controls(self) -> _controls.Controls:
        """The controls the library describes, by name: ``cam.controls["gamma"]`` is a
        ``pixora.controls.Control`` with its range, step, default, unit, description, kind,
        enumeration values and flags. Each is an attribute of the Camera too."""
        return _controls.Controls()

    @property
    def roi(self) -> Tuple[int, int, int, int]:
        """The capture window (x, y, width, height) on the sensor. Setting it sets the four
        window controls; the next capture started takes it (a stream running keeps its
        own), and a window that leaves the sensor fails there with error 7."""
        with self._lock:
            x, y, width, height = (self._get_control(self._window(name)) for name in _WINDOW)
        return x, y, width, height

    @roi.setter
    def roi(self, window: Tuple[int, int, int, int]) -> None:
        x, y, width, height = (int32(value, "roi") for value in window)
        with self._lock:
            offset_x, offset_y, w, h = (self._window(name) for name in _WINDOW)
            # Each control is checked alone: the start goes to the corner first, so that no
            # step leaves its range.
            for control, value in (
                (offset_x, 0),
                (offset_y, 0),
                (w, width),
                (h, height),
                (offset_x, x),
                (offset_y, y),
            ):
                self._set_control(control, value)

    @property
    def bits(self) -> int:
        """The colour mode: bits per pixel, 8, 16, 24, 32, 48 or 64 (``pixora.images``).
        snapshot() and stream() set it from their own argument."""
        return self._call("Pixora_GetColorMode", failure=-1)

    @bits.setter
    def bits(self, bits: int) -> None:
        self._set_bits(bits)

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
        formats = [f for f in _controls.save_formats() if extension in f.extensions]
        if not formats:
            known = dict.fromkeys(e for f in _controls.save_formats() for e in f.extensions)
            raise PixoraError(
                f"cannot save {path!r}: no format for the extension {extension!r} "
                f"(one of {', '.join(known)})",
                ErrorCode.BAD_ARGUMENT,
            )
        # The first format that lists the extension, or among those with a quality, the
        # one of the quality asked for.
        format = formats[0].code
        qualities = {f.quality: f.code for f in formats if f.quality}
        if qualities:
            if quality not in qualities:
                written = ", ".join(str(q) for q in qualities)
                raise PixoraError(
                    f"quality {quality} for {extension}: the library writes {written}",
                    ErrorCode.BAD_ARGUMENT,
                )
            format = qualities[quality]
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

    # The automatic exposure moves the exposure and the gain: it stays a property of its own
    # so that both are put back with it.
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
            self._remember_control(_controls.by_filter(Filter.EXPOSURE_TIME))
            self._remember_control(_controls.by_filter(Filter.GLOBAL_GAIN))
        self._call("Pixora_SetAutoIris", int32(mode, "auto_iris"), what=f"auto_iris {mode}")

    @property
    def white_balance(self) -> Tuple[int, int, int]:
        """The white-balance gains (red, green, blue) in percent, 100 for unity, 0..400."""
        with self._lock:
            red, green, blue = (self._get_control(c) for c in _balance_gains())
        return red, green, blue

    @white_balance.setter
    def white_balance(self, gains: Tuple[int, int, int]) -> None:
        red, green, blue = gains
        with self._lock:
            for control, value in zip(_balance_gains(), (red, green, blue)):
                self._set_control(control, value)

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
            for control in _balance_gains():
                self._remember_control(control)
            automatic = _controls.by_filter(Filter.BAYER_GAIN_AUTO)
            before = self._get_control(automatic)
            self._set_control(automatic, True)
        try:
            if streaming:
                self._wait_frames(2, timeout)
            else:
                self.snapshot(self.bits if colour else 24)
        finally:
            if not self.closed:
                self._set_control(automatic, before)
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

    def _window(self, name: str) -> _controls.Control:
        control = _controls.find(name)
        if control is None:
            raise PixoraError("this library has no capture window", ErrorCode.NOT_SUPPORTED)
        return control

    def _get_control(self, control: _controls.Control) -> Union[int, bool]:
        value = ctypes.c_int32()
        self._call(
            "PixoraEx_GetControl", control.id, ctypes.byref(value), what=control.attribute
        )
        return bool(value.value) if control.kind == "boolean" else value.value

    def _set_control(self, control: _controls.Control, value: object) -> None:
        name = control.attribute
        if isinstance(value, str) and control.kind == "enumeration":
            named = {v.name: v.value for v in control.values}
            if value not in named:
                raise PixoraError(
                    f"{name} = {value!r}: not one of {', '.join(named)}", ErrorCode.BAD_ARGUMENT
                )
            value = named[value]
        value = int32(value, name)
        with self._lock:
            self._remember_control(control)
            try:
                self._call("PixoraEx_SetControl", control.id, value, what=f"{name} = {value}")
            except PixoraError as error:
                if error.code != ErrorCode.BAD_ARGUMENT or "any_value" in control.flags:
                    raise
                low, high = control.accepted
                raise PixoraError(
                    f"{name} = {value}: outside {low}..{high}", error.code, error.function
                ) from None

    def _remember(self, key: str, function: str, read: Callable[[], int]) -> None:
        """Notes a setting's value before this Camera first changes it, to put it back at
        close() (nothing with keep_settings=True)."""
        with self._lock:
            if self._keep_settings or key in self._originals:
                return
            self._originals[key] = (function, None, read())

    def _remember_control(self, control: _controls.Control) -> None:
        with self._lock:
            if self._keep_settings or control.name in self._originals:
                return
            value = int(self._get_control(control))
            # The camera may keep an exposure (1068) beyond what the setter takes.
            low, high = control.accepted
            self._originals[control.name] = (
                "PixoraEx_SetControl",
                control.id,
                min(max(value, low), high),
            )

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
