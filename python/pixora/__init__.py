"""The 530TZ camera from Python: numpy pictures, streams with frame numbers and times,
settings as attributes, and errors as exceptions.

Example::

    import pixora

    print(pixora.cameras())                 # [(0, 'Pixora530TZ_01')]
    with pixora.Camera() as cam:
        cam.exposure = 400
        picture = cam.snapshot()            # (1024, 1360, 3) uint8, RGB
        for frame in cam.stream(count=30):
            print(frame.sequence, frame.timestamp, frame.dropped)

The package drives the shared library (libPixoraSdk_530TZ.so, PixoraSdk_530TZ.dll) through
ctypes: the library it was installed with, or the one named by the environment variable
PIXORA_LIBRARY. ``pixora.simulator`` controls the library's virtual camera. What the
library has to say beyond a call's result goes to the ``logging`` logger ``"pixora"``.
"""

from . import controls, images, simulator
from ._library import library_path
from .camera import Camera, CameraInfo, FrameCounts, cameras
from .constants import (
    AutoIris,
    CaptureState,
    ErrorCode,
    Fault,
    Filter,
    LogLevel,
    SaveFormat,
    Scene,
)
from .errors import CameraClosedError, LibraryError, PixoraError, StreamTimeoutError
from .frames import Frame, Stream, monotonic
from .settings import ALIASES, SETTINGS, setting_range


def __getattr__(name: str) -> str:
    """``pixora.__version__``: the project's version, which the build writes into the package
    (``_version.py``); in a source checkout, the version of the library it loads."""
    if name != "__version__":
        raise AttributeError(f"module 'pixora' has no attribute {name!r}")
    try:
        from ._version import VERSION  # type: ignore[import-not-found]
    except ImportError:
        return library_version()
    return VERSION


def library_version() -> str:
    """The loaded library's version (Pixora_GetDllVersion), for example ``"25.5.2"``."""
    from ._library import library

    version = library().Pixora_GetDllVersion()
    return f"{version >> 16 & 0xFF}.{version >> 8 & 0xFF}.{version & 0xFF}"


__all__ = [
    "ALIASES",
    "AutoIris",
    "Camera",
    "CameraClosedError",
    "CameraInfo",
    "CaptureState",
    "ErrorCode",
    "Fault",
    "Filter",
    "Frame",
    "FrameCounts",
    "LibraryError",
    "LogLevel",
    "PixoraError",
    "SETTINGS",
    "SaveFormat",
    "Scene",
    "Stream",
    "StreamTimeoutError",
    "cameras",
    "controls",
    "images",
    "library_path",
    "library_version",
    "monotonic",
    "setting_range",
    "simulator",
]
