"""The Camera class: one open session with a 530TZ camera."""

import ctypes
import os
import threading
import time
import weakref
from typing import Iterator, List, NamedTuple, Optional, Tuple, Union

import numpy as np

from . import _library, images
from ._records import CameraInfo as _CameraInfo
from ._records import FrameCounts as _FrameCounts
from ._records import FrameMeta, new_record
from .constants import AutoIris, CaptureState, ErrorCode, Filter, SaveFormat
from .errors import CameraClosedError, PixoraError
from .frames import Frame, Stream
from .settings import Setting, int32, setting_range

DEVICE_INDICES = range(8)

# Stream waits are cut into slices this long, so that Ctrl-C (handled by Python between two
# calls) stops a stream within one slice.
WAIT_SLICE_MS = 150

_NAME_BYTES = 256

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


def _release(library: ctypes.CDLL, handle: int) -> None:
    # The finalizer of a Camera that was not closed: garbage collection or interpreter exit.
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
    is released then.

    Pictures come as numpy arrays of their own (``snapshot()``, ``stream()``; shapes and
    channel orders in ``pixora.images``). The picture and analog settings are attributes
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

    def __init__(self, device: int = 0) -> None:
        self._lib = _library.library()
        self._lock = threading.RLock()
        self._handle: Optional[int] = None
        self._stream_owner: Optional[object] = None  # the running stream's token
        self._stream_failed = False
        device = int32(device, "device")
        if device not in DEVICE_INDICES:
            raise PixoraError(
                f"no device {device}: device indexes are 0..7", ErrorCode.DEVICE_NOT_FOUND
            )
        handle = self._lib.Pixora_Initialize(None)
        if not handle:
            raise PixoraError("Pixora_Initialize gave no handle", function="Pixora_Initialize")
        self._handle = handle
        self._finalizer = weakref.finalize(self, _release, self._lib, handle)
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
        """Stops any capture and releases the camera (its settings are stored for the next
        session). Further calls raise CameraClosedError; closing again does nothing."""
        with self._lock:
            handle, self._handle = self._handle, None
            if handle is None:
                return
            self._finalizer.detach()
            with Camera._open_lock:
                Camera._open_cameras.discard(self)
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
        """Milliseconds the stream's worker sleeps between looks at the camera (10)."""
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
        """Saves the library's last picture (the last snapshot, or during a stream its
        newest frame) as a file whose format follows the extension: .bmp, .raw, .jpg or
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
    ) -> Stream:
        """Streams frames in colour mode ``bits``: returns an iterator of ``Frame`` (the
        picture as ``snapshot()`` gives it, never torn, with its ``sequence``,
        ``timestamp`` and ``dropped``).

        The camera streams from the first frame asked for until ``count`` frames were
        handed out (None: without end), or the loop is left (``break``, an exception,
        Ctrl-C) or the Stream is closed; then it stops. A loop slower than the camera gets
        the newest frame each time: the frames in between are its frames' ``dropped``.

        ``timeout``: seconds without a frame before PixoraError is raised (None: wait
        without limit). ``trigger``: one frame per external trigger pulse instead of a free
        run (then pass a ``timeout`` that fits the pulses, or None).

        Example::

            with cam.stream(count=100) as frames:
                for frame in frames:
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
        return Stream(self._frames(bits, count, timeout, trigger))

    def _frames(
        self, bits: int, count: Optional[int], timeout: Optional[float], trigger: bool
    ) -> Iterator[Frame]:
        if count == 0:
            return
        # The stream this generator started, whatever happens between the start and the
        # first statement after it (a Ctrl-C may come anywhere).
        token = object()
        try:
            handle, width, height = self._start_stream(bits, trigger, token)
            expected = CaptureState.TRIGGER if trigger else CaptureState.PREVIEW
            memory = images.new_buffer(width, height, bits)
            meta = new_record(FrameMeta)
            last = 0
            received = 0
            limit = None if timeout is None else time.monotonic() + timeout
            while count is None or received < count:
                # Not under the lock: the wait holds nothing of the camera.
                waited = self._lib.PixoraEx_WaitFrame(handle, last, WAIT_SLICE_MS)
                if waited < 0:
                    raise CameraClosedError("the camera was closed during the stream")
                if waited == 0:
                    self._check_streaming(expected)
                    if limit is not None and time.monotonic() >= limit:
                        raise PixoraError(f"no frame came within {timeout} s")
                    continue
                with self._lock:
                    self._call(
                        "PixoraEx_GetFrame",
                        memory.ctypes.data,
                        memory.nbytes,
                        1,
                        ctypes.byref(meta),
                        what="reading a frame",
                    )
                if meta.sequence <= last:
                    continue
                dropped = meta.sequence - last - 1 if last else 0
                last = meta.sequence
                received += 1
                if limit is not None:
                    limit = time.monotonic() + timeout  # type: ignore[operator]
                frame = Frame(
                    images.to_array(memory, width, height, bits),
                    int(meta.sequence),
                    meta.timestampUs / 1e6,
                    int(dropped),
                    bits,
                )
                if received == count:
                    # The last frame: the camera stops before the loop works on it.
                    self._stop_stream(token, check=True)
                yield frame
        except BaseException:
            self._stop_stream(token, check=False)
            raise

    def _start_stream(self, bits: int, trigger: bool, token: object) -> Tuple[int, int, int]:
        with self._lock:
            handle = self._require()
            if self._stream_owner is not None:
                raise PixoraError("this camera streams already")
            self._set_bits(bits)
            width, height = self.width, self.height
            self._stream_failed = False
            self._stream_owner = token
            if trigger:
                self._call("Pixora_Trigger", None, None, 0, 1, what="starting the trigger mode")
            else:
                self._call("Pixora_StartPreview", what="starting the stream")
            return handle, width, height

    def _stop_stream(self, token: object, check: bool) -> None:
        """Stops the stream started with ``token``; nothing when it is stopped already."""
        with self._lock:
            if self._stream_owner is not token:
                return
            self._stream_owner = None
            if self._handle is None:
                return
            if check:
                self._call("Pixora_StopPreview", what="stopping the stream")
            else:
                self._lib.Pixora_StopPreview(self._handle)

    def _check_streaming(self, expected: CaptureState) -> None:
        """Raises when the capture ended without this stream stopping it (the camera
        vanished, a transfer failed): the state changed, or the worker recorded that the
        stream failed (the state stays until the stream is stopped)."""
        with self._lock:
            state = self._lib.PixoraEx_GetCaptureState(self._require())
            code = self._pop_errors()
            if state == expected and not self._stream_failed:
                return
            if self._stream_failed:
                code = ErrorCode.STREAM_FAILED
            code = code or ErrorCode.STREAM_FAILED
            raise PixoraError(f"the stream stopped: {_error_text(code)} (error {code})", code)

    # --- Settings ------------------------------------------------------------------------

    @property
    def mirror_v(self) -> bool:
        """True turns the picture upside down."""
        return bool(self._call("Pixora_GetMirrorV", failure=None, what="mirror_v"))

    @mirror_v.setter
    def mirror_v(self, flag: bool) -> None:
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
            colour = self.bits not in (8, 16)
            if state == CaptureState.PREVIEW and not colour:
                raise PixoraError("the white balance needs a colour mode; the stream is gray")
            before = self.bayer_gain_auto
            self.bayer_gain_auto = True
        try:
            if state == CaptureState.PREVIEW:
                self._wait_frames(2, timeout)
            else:
                self.snapshot(self.bits if colour else 24)
        finally:
            if not self.closed:
                self.bayer_gain_auto = before
        return self.white_balance

    def _wait_frames(self, frames: int, timeout: float) -> None:
        # The frame in progress may have started before the request: wait for the one after.
        meta = new_record(FrameMeta)
        with self._lock:
            handle = self._require()
            if not self._lib.PixoraEx_GetFrame(handle, None, 0, 1, ctypes.byref(meta)):
                self._pop_errors()  # no frame yet: any frame will do
        target = meta.sequence + frames - 1
        limit = time.monotonic() + timeout
        while time.monotonic() < limit:
            waited = self._lib.PixoraEx_WaitFrame(handle, target, WAIT_SLICE_MS)
            if waited < 0:
                raise CameraClosedError("the camera was closed while waiting for a frame")
            if waited == 1:
                return
            self._check_streaming(CaptureState.PREVIEW)
        raise PixoraError(f"no frame came within {timeout} s")

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
        self._call("Pixora_SetColorMode", bits, what=f"colour mode {bits}")

    def _get_filter(self, index: int, name: str) -> int:
        ok = ctypes.c_int32()
        with self._lock:
            value = self._call(
                "Pixora_GetFilterValue", index, ctypes.byref(ok), failure=None, what=name
            )
        return value

    def _set_filter(self, index: int, value: int, name: str) -> None:
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

    def _device_names(self) -> List[Tuple[int, str]]:
        with self._lock:
            return _device_names(self._lib, self._require())

    def _discard_errors(self) -> None:
        self._pop_errors()

    def _pop_errors(self) -> int:
        """Empties the camera's error stack; the newest code, 0 when it was empty. A failed
        stream is remembered for the stream, whichever call took its code."""
        newest = 0
        while True:
            code = self._lib.Pixora_GetLastError(self._handle)
            if code == 0:
                return newest
            if code == ErrorCode.STREAM_FAILED and self._stream_owner is not None:
                self._stream_failed = True
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
