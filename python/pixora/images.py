"""Image memory as the library lays it out, and its conversion to numpy arrays.

The library's pixels are blue, green, red (then a spare byte or word in the 32- and 64-bit
modes), with 10-bit samples in little-endian 16-bit words, and every row padded to a
multiple of 4 bytes. The arrays made here are RGB, without the padding, in memory of their
own:

======  ===================  =======  ==========================================
bits    shape                dtype    values
======  ===================  =======  ==========================================
8       (height, width)      uint8    the raw Bayer mosaic
16      (height, width)      uint16   the raw mosaic, 10-bit samples 0..1023
24      (height, width, 3)   uint8    red, green, blue
32      (height, width, 4)   uint8    red, green, blue, the spare byte
48      (height, width, 3)   uint16   red, green, blue, 0..1023 each
64      (height, width, 4)   uint16   red, green, blue, the spare word
======  ===================  =======  ==========================================
"""

from typing import Tuple

import numpy as np

COLOR_MODES = (8, 16, 24, 32, 48, 64)

# Channels of the library's pixel (B, G, R[, spare]) in RGB order, the spare last.
_RGB = [2, 1, 0]
_RGB_SPARE = [2, 1, 0, 3]


def stride(width: int, bits: int) -> int:
    """Bytes of one image row: width x bytes per pixel, rounded up to a multiple of 4."""
    return (width * bits // 8 + 3) & ~3


def image_bytes(width: int, height: int, bits: int) -> int:
    """Bytes of a whole image in the library's layout."""
    return stride(width, bits) * height


def shape_of(width: int, height: int, bits: int) -> Tuple[int, ...]:
    """The shape of the array ``to_array`` makes for this size and colour mode."""
    channels = {24: 3, 32: 4, 48: 3, 64: 4}.get(bits)
    return (height, width) if channels is None else (height, width, channels)


def dtype_of(bits: int) -> np.dtype:
    """uint8 for 8, 24 and 32 bits; uint16 for 16, 48 and 64."""
    return np.dtype(np.uint16 if bits in (16, 48, 64) else np.uint8)


def new_buffer(width: int, height: int, bits: int) -> np.ndarray:
    """Memory for one image in the library's layout (what the library copies into)."""
    return np.empty(image_bytes(width, height, bits), dtype=np.uint8)


def to_array(memory: np.ndarray, width: int, height: int, bits: int) -> np.ndarray:
    """A new array holding the image in ``memory`` (library layout, rows top to bottom).

    The result never shares memory with ``memory``, so ``memory`` may be filled again.
    """
    if bits not in COLOR_MODES:
        raise ValueError(f"no colour mode of {bits} bits; the modes are {COLOR_MODES}")
    row_bytes = width * bits // 8
    rows = memory[: image_bytes(width, height, bits)].reshape(height, stride(width, bits))
    rows = rows[:, :row_bytes]
    if bits in (16, 48, 64):
        # Little-endian words; numpy makes them native when it copies below.
        rows = rows.view("<u2")
    if bits in (8, 16):
        return np.array(rows, dtype=dtype_of(bits), order="C")  # always a copy
    channels = _RGB if bits in (24, 48) else _RGB_SPARE
    # Indexing by a list copies: the result is new memory, made native-endian here.
    pixels = rows.reshape(height, width, len(channels))[:, :, channels]
    return np.ascontiguousarray(pixels, dtype=dtype_of(bits))


def layout(width: int, height: int, stride: int, bits: int) -> dict:
    """The numpy array interface of an image in the library's layout at some address
    (``data`` to be filled in): rows ``stride`` bytes apart, pixels in the library's channel
    order (B, G, R[, spare]), little-endian words for 16, 48 and 64 bits."""
    channels = {24: 3, 32: 4, 48: 3, 64: 4}.get(bits, 1)
    item = 2 if bits in (16, 48, 64) else 1
    if channels == 1:
        shape: Tuple[int, ...] = (height, width)
        strides: Tuple[int, ...] = (stride, item)
    else:
        shape = (height, width, channels)
        strides = (stride, channels * item, item)
    return {
        "version": 3,
        "shape": shape,
        "strides": strides,
        "typestr": "<u2" if item == 2 else "|u1",
    }


def in_order(pixels: np.ndarray, bits: int, order: str) -> np.ndarray:
    """``pixels`` (library order, B, G, R[, spare]) in ``order``: "bgr" as they are;
    "rgb" for 24 and 48 bits a view with the channels reversed (no copy), for 32 and 64 bits
    a new array in R, G, B, spare order (the spare stays last, which no view can do) with
    the spare 0, as snapshots have it (a queue buffer leaves it undefined)."""
    if order == "bgr" or bits in (8, 16):
        return pixels
    if bits in (24, 48):
        return pixels[:, :, ::-1]
    reordered = np.empty(pixels.shape, dtype=pixels.dtype)
    reordered[:, :, 0] = pixels[:, :, 2]
    reordered[:, :, 1] = pixels[:, :, 1]
    reordered[:, :, 2] = pixels[:, :, 0]
    reordered[:, :, 3] = 0
    return reordered
