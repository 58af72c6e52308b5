"""The virtual 530TZ camera built into the library (Linux; Windows with
PIXORA_DRIVER=virtual): pacing, scenes, trigger pulses, faults and counters, for tests and
demonstrations without hardware.

It is set up on first use from the environment variable PIXORA_SIM (for example
``"cameras=0,3 fps=30 scene=bars"``); these functions change it at run time. Functions that
take a camera index accept 0..7, and -1 for every slot where the library says so.
"""

import ctypes
from typing import Iterable, NamedTuple, Union

from . import _library
from ._records import SimStatus, new_record
from .constants import Fault, Scene
from .errors import PixoraError


class Status(NamedTuple):
    """A virtual camera's state (PixoraSim_GetStatus)."""

    present: bool
    attached: bool
    open_handles: int
    trigger_mode: bool
    pending_triggers: int
    gain: int
    exposure: int
    scene: int
    fps: float
    faults: int
    frames_sent: int
    frames_short: int
    frames_failed: int
    reads_waiting: int


def _check(result: int, what: str) -> None:
    if result != 1:
        raise PixoraError(f"virtual camera: {what} refused")


def _lib() -> ctypes.CDLL:
    return _library.library()


def configure(settings: str) -> None:
    """Applies settings in the PIXORA_SIM form, for example ``"fps=30 scene=moving"``."""
    _check(_lib().PixoraSim_Configure(settings.encode()), f"settings {settings!r}")


def reset() -> None:
    """Back to the start state (defaults, then PIXORA_SIM); call it while nothing streams."""
    _lib().PixoraSim_Reset()


def set_cameras(slots: Iterable[int]) -> None:
    """Puts cameras in the given slots (0..7) and unplugs the others."""
    slots = list(slots)
    mask = 0
    for slot in slots:
        mask |= 1 << slot
    _check(_lib().PixoraSim_SetCameras(mask), f"slots {slots}")


def set_fps(fps: float, index: int = 0) -> None:
    """Frames per second of camera ``index`` (-1: all); 0 delivers every frame at once."""
    _check(_lib().PixoraSim_SetFps(index, float(fps)), f"{fps} frames per second")


def set_scene(scene: Union[Scene, int], index: int = 0) -> None:
    """The picture of camera ``index``: Scene.BARS, GRADIENT or MOVING."""
    _check(_lib().PixoraSim_SetScene(index, int(scene)), f"scene {scene}")


def trigger(index: int = 0) -> None:
    """One external trigger pulse to camera ``index``."""
    _check(_lib().PixoraSim_Trigger(index), f"a trigger pulse to camera {index}")


def set_fault(fault: Union[Fault, int], argument: int = 0, index: int = 0) -> None:
    """Switches ``fault`` on with ``argument``, or off with a negative argument."""
    _check(_lib().PixoraSim_SetFault(index, int(fault), argument), f"fault {fault}")


def frames_sent(index: int = 0) -> int:
    """Whole frames camera ``index`` delivered since the last reset."""
    sent = _lib().PixoraSim_FramesSent(index)
    if sent < 0:
        raise PixoraError(f"virtual camera: no slot {index}")
    return sent


def status(index: int = 0) -> Status:
    """The state of camera ``index``."""
    record = new_record(SimStatus)
    _check(_lib().PixoraSim_GetStatus(index, ctypes.byref(record)), f"status of slot {index}")
    return Status(
        bool(record.present),
        bool(record.attached),
        record.openHandles,
        bool(record.triggerMode),
        record.pendingTriggers,
        record.gain,
        record.exposure,
        record.scene,
        record.fpsMilli / 1000.0,
        record.faults,
        record.framesSent,
        record.framesShort,
        record.framesFailed,
        record.readsWaiting,
    )
