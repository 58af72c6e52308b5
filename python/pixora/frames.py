"""Frames of a stream: the picture with the library's number and time of it."""

import sys
import time
from dataclasses import dataclass
from typing import Callable, Iterator

import numpy as np

# The clock of the library's timestamps: CLOCK_MONOTONIC on Linux, which time.monotonic()
# reads; the performance counter on Windows, which time.perf_counter() reads (and
# time.monotonic() from Python 3.13 on).
_clock: Callable[[], float] = time.perf_counter if sys.platform == "win32" else time.monotonic


def monotonic() -> float:
    """Seconds on the clock of ``Frame.timestamp``: the system's monotonic clock."""
    return _clock()


@dataclass(frozen=True, eq=False)
class Frame:
    """One frame of ``Camera.stream()``.

    Attributes:
        image: the picture, an array of its own (see ``pixora.images`` for the shapes).
        sequence: the camera's number of the frame: frames the camera sent to this camera
            handle are numbered 1, 2, ...; a gap means frames this loop did not get.
        timestamp: when the frame's transfer ended, in seconds of the system's monotonic
            clock (``pixora.monotonic()``, which is ``time.monotonic()`` on Linux).
        dropped: frames the camera sent after the previous frame of this stream that this
            loop did not get (skipped for a newer frame while it worked, lost in transfer);
            0 for the first frame.
        bits: the colour mode the frame was taken in.
    """

    image: np.ndarray
    sequence: int
    timestamp: float
    dropped: int
    bits: int

    @property
    def age(self) -> float:
        """Seconds since the frame's transfer ended."""
        return monotonic() - self.timestamp

    def __repr__(self) -> str:
        return (
            f"Frame(sequence={self.sequence}, timestamp={self.timestamp:.6f}, "
            f"dropped={self.dropped}, bits={self.bits}, image={self.image.dtype}"
            f"{list(self.image.shape)})"
        )


class Stream:
    """The frames of ``Camera.stream()``: an iterator, and a context manager that stops the
    stream when its block ends.

    The camera streams from the first ``next()`` until the frames run out (``count``), the
    iteration is left (``break``, an exception, Ctrl-C), or ``close()`` is called.

    Attributes:
        received: frames handed out so far.
        dropped: frames the camera sent after the first one handed out that this stream did
            not get (the sum of the frames' ``dropped``).
    """

    def __init__(self, frames: Iterator[Frame]) -> None:
        self._frames = frames
        self.received = 0
        self.dropped = 0

    def __iter__(self) -> "Stream":
        return self

    def __next__(self) -> Frame:
        frame = next(self._frames)
        self.received += 1
        self.dropped += frame.dropped
        return frame

    def close(self) -> None:
        """Stops the stream (nothing when it has ended already)."""
        self._frames.close()  # type: ignore[attr-defined]

    def __enter__(self) -> "Stream":
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def __repr__(self) -> str:
        return f"<pixora.Stream received={self.received} dropped={self.dropped}>"

