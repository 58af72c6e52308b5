"""Frames of a stream: the picture with the library's number and time of it."""

import sys
import time
from typing import Callable, Iterator, Optional, Tuple

import numpy as np

# The clock of the library's timestamps: CLOCK_MONOTONIC on Linux, which time.monotonic()
# reads; the performance counter on Windows, which time.perf_counter() reads (and
# time.monotonic() from Python 3.13 on).
_clock: Callable[[], float] = time.perf_counter if sys.platform == "win32" else time.monotonic


def monotonic() -> float:
    """Seconds on the clock of ``Frame.timestamp``: the system's monotonic clock."""
    return _clock()


# Names of the raw mosaic's colour patterns (PIXORA_BAYER_*): the colours of the first two
# samples of the first two rows.
BAYER_PATTERNS = {1: "RGGB", 2: "GRBG", 3: "GBRG", 4: "BGGR"}


class _Lease:
    """A queue buffer the application holds: the base of every numpy view of it, so that
    the buffer goes back to the library (PixoraEx_ReturnFrame) only when the frame was
    released and no view of it is left, never while an array could still read it."""

    def __init__(self, library, record, layout: dict) -> None:
        self._library = library
        self._record = record
        layout["data"] = (record.pixels.data, False)
        self.__array_interface__ = layout

    def __del__(self) -> None:
        record, self._record = self._record, None
        if record is None:
            return
        try:
            self._library.PixoraEx_ReturnFrame(record)
        except Exception:  # interpreter shutdown: the library goes with the process
            pass


class Frame:
    """One frame of ``Camera.stream()``.

    Attributes:
        image: the picture (see ``pixora.images`` for the shapes). In a stream it is a
            numpy view of the library's queue buffer, which no later frame rewrites while
            the frame is held; ``release()`` (or the end of a ``with frame:`` block) gives
            the buffer back, and reading ``image`` afterwards raises ValueError. A frame
            that is garbage-collected gives its buffer back too. ``copy()`` keeps a frame.
        sequence: the camera's number of the frame: frames the camera sent to this camera
            handle are numbered 1, 2, ...; a gap means frames this loop did not get.
        timestamp: when the frame's transfer ended, in seconds of the system's monotonic
            clock (``pixora.monotonic()``, which is ``time.monotonic()`` on Linux).
        dropped: frames the camera sent after the previous frame of this stream that this
            loop did not get (dropped for want of a free buffer, lost in transfer); 0 for
            the first frame.
        bits: bits per pixel of ``image``: the colour mode, or 8 or 16 for a raw mosaic.
        raw: True for the mosaic as the camera sent it (``stream(raw=True)``).
        bayer_pattern: the raw mosaic's colour pattern, "GRBG", "RGGB", "GBRG" or "BGGR"
            (the colours of the first row's first two samples, then the second row's);
            None for a processed picture.
        exposure: the exposure the camera took the frame with (8..1068).
        gain: the analog gain it took the frame with (0..1023).
        white_balance: the white-balance gains (red, green, blue) in percent that made
            the frame; for frames without a colour step (raw, 8 and 16 bits) the stored
            gains at the time.
        triggered: True for a frame of a trigger pulse.
    """

    __slots__ = (
        "_image",
        "sequence",
        "timestamp",
        "dropped",
        "bits",
        "raw",
        "bayer_pattern",
        "exposure",
        "gain",
        "white_balance",
        "triggered",
    )

    def __init__(
        self,
        image: np.ndarray,
        sequence: int,
        timestamp: float,
        dropped: int,
        bits: int,
        *,
        raw: bool = False,
        bayer_pattern: Optional[str] = None,
        exposure: int = 0,
        gain: int = 0,
        white_balance: Tuple[int, int, int] = (100, 100, 100),
        triggered: bool = False,
    ) -> None:
        self._image: Optional[np.ndarray] = image
        self.sequence = sequence
        self.timestamp = timestamp
        self.dropped = dropped
        self.bits = bits
        self.raw = raw
        self.bayer_pattern = bayer_pattern
        self.exposure = exposure
        self.gain = gain
        self.white_balance = white_balance
        self.triggered = triggered

    @property
    def image(self) -> np.ndarray:
        image = self._image
        if image is None:
            raise ValueError(
                f"frame {self.sequence} was released: its buffer is the stream's again "
                "(copy() keeps a frame)"
            )
        return image

    @property
    def released(self) -> bool:
        """True once ``release()`` gave the frame's buffer back."""
        return self._image is None

    def release(self) -> None:
        """Gives the frame's buffer back to the stream for a later frame; the meta stays.
        Views of ``image`` taken before (slices, ``np.asarray``) keep the buffer until they
        are gone. Releasing again does nothing."""
        self._image = None

    def copy(self) -> "Frame":
        """A frame with the same meta and a picture of its own (C-contiguous), to keep after
        this one is released."""
        return Frame(
            np.array(self.image, order="C", copy=True),
            self.sequence,
            self.timestamp,
            self.dropped,
            self.bits,
            raw=self.raw,
            bayer_pattern=self.bayer_pattern,
            exposure=self.exposure,
            gain=self.gain,
            white_balance=self.white_balance,
            triggered=self.triggered,
        )

    def __enter__(self) -> "Frame":
        return self

    def __exit__(self, *exception: object) -> None:
        self.release()

    @property
    def age(self) -> float:
        """Seconds since the frame's transfer ended."""
        return monotonic() - self.timestamp

    def __repr__(self) -> str:
        if self._image is None:
            picture = "released"
        else:
            picture = f"{self._image.dtype}{list(self._image.shape)}"
        raw = f", raw {self.bayer_pattern}" if self.raw else ""
        return (
            f"Frame(sequence={self.sequence}, timestamp={self.timestamp:.6f}, "
            f"dropped={self.dropped}, bits={self.bits}{raw}, exposure={self.exposure}, "
            f"gain={self.gain}, image={picture})"
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

