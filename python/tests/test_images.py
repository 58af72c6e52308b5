"""Pictures as numpy arrays: every colour mode's shape and type, the bar colours in RGB
order, the raw mosaic, rows without their padding, and memory the caller owns."""

import numpy as np
import pytest

import pixora
from pixora import images

from conftest import HEIGHT, WIDTH

# The eight bars of the virtual camera's "bars" scene, left to right, as red, green, blue;
# each 170 columns wide. At the reference gain and exposure full scale reads 200 of 255.
BARS = [
    (255, 255, 255),  # white
    (255, 255, 0),  # yellow
    (0, 255, 255),  # cyan
    (0, 255, 0),  # green
    (255, 0, 255),  # magenta
    (255, 0, 0),  # red
    (0, 0, 255),  # blue
    (0, 0, 0),  # black
]

SHAPES = {
    8: ((HEIGHT, WIDTH), np.uint8),
    16: ((HEIGHT, WIDTH), np.uint16),
    24: ((HEIGHT, WIDTH, 3), np.uint8),
    32: ((HEIGHT, WIDTH, 4), np.uint8),
    48: ((HEIGHT, WIDTH, 3), np.uint16),
    64: ((HEIGHT, WIDTH, 4), np.uint16),
}


@pytest.mark.parametrize("bits", sorted(SHAPES))
def test_every_colour_mode_has_its_shape_and_type(cam, bits):
    picture = cam.snapshot(bits)
    shape, dtype = SHAPES[bits]
    assert picture.shape == shape
    assert picture.dtype == dtype
    # Memory of its own: no view of a buffer that the next picture fills again.
    assert picture.flags.c_contiguous and picture.flags.writeable and picture.flags.owndata
    if bits in (16, 48, 64):
        assert 700 < picture.max() <= 1023  # 10-bit samples


@pytest.mark.parametrize("bits", [24, 32, 48, 64])
def test_colour_modes_show_the_bars_in_rgb_order(cam, bits):
    picture = cam.snapshot(bits)
    full = 1023 if bits >= 48 else 255
    for bar, colour in enumerate(BARS):
        pixel = picture[300, bar * 170 + 85]
        expected = [channel * 200 / 255 * full / 255 for channel in colour]
        assert np.allclose(pixel[:3], expected, atol=0.12 * full), (bar, pixel)
    if bits in (32, 64):
        # The fourth channel is the spare byte or word, which the library leaves 0.
        assert not picture[..., 3].any()


def test_gray_modes_hold_the_mosaic(cam):
    # Red sites on the red bar are bright, the other sites of a 2 x 2 cell dark: the mosaic
    # starts with green on a red row.
    mosaic = cam.snapshot(8)
    cell = mosaic[300:302, 5 * 170 + 84 : 5 * 170 + 86]
    assert cell[0, 1] > 150 and cell[0, 0] < 50 and cell[1, 1] < 50
    wide = cam.snapshot(16)
    assert abs(int(wide[300, 85]) - 4 * int(mosaic[300, 85])) < 80


@pytest.mark.parametrize("bits", [8, 16, 24, 32, 48, 64])
def test_row_padding_is_left_out(bits):
    # Three pixels a row: 24-bit rows take 9 bytes and are padded to 12, and so on.
    width, height = 3, 2
    stride = images.stride(width, bits)
    assert stride % 4 == 0 and stride - width * bits // 8 < 4
    memory = np.full(images.image_bytes(width, height, bits), 0xEE, dtype=np.uint8)
    channels = {24: 3, 32: 4, 48: 3, 64: 4}.get(bits, 1)
    sample = 2 if bits in (16, 48, 64) else 1
    # Pixel (y, x) holds channel c (B, G, R, spare) = 16 * y + 4 * x + c.
    for y in range(height):
        for x in range(width):
            for c in range(channels):
                at = y * stride + (x * channels + c) * sample
                memory[at : at + sample] = list((16 * y + 4 * x + c).to_bytes(sample, "little"))
    picture = images.to_array(memory, width, height, bits)
    assert picture.shape == images.shape_of(width, height, bits)
    for y in range(height):
        for x in range(width):
            value = 16 * y + 4 * x
            if channels == 1:
                assert picture[y, x] == value
            else:
                order = [2, 1, 0, 3][:channels]  # R, G, B, spare from B, G, R, spare
                assert picture[y, x].tolist() == [value + c for c in order]
    assert not np.shares_memory(picture, memory)


def test_unknown_colour_modes_are_refused(cam):
    with pytest.raises(pixora.PixoraError) as refused:
        cam.snapshot(12)
    assert refused.value.code == pixora.ErrorCode.BAD_ARGUMENT
    assert "bad argument" in str(refused.value)
