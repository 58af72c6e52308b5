"""The picture and analog settings, as attributes of a Camera.

Each filter setting is the library's filter index of that name (``Filter``); reading it asks
the camera, writing it sets it, and a value the library refuses raises PixoraError with code
``ErrorCode.BAD_ARGUMENT`` and the accepted range. The ranges come from the library's own
table (PixoraEx_GetFilterRange): ``setting_range("brightness")`` is ``(-255, 255)``.
The names are those of ``pixora get`` and ``pixora set``, with underscores.
"""

import operator
from typing import Dict, NamedTuple, Optional, Tuple

from .constants import ErrorCode, Filter
from .errors import PixoraError

INT32_MIN = -(2**31)
INT32_MAX = 2**31 - 1


class SettingInfo(NamedTuple):
    """One named setting: its filter index (None for mirror_v and auto_iris) and meaning."""

    index: Optional[int]
    description: str


SETTINGS: Dict[str, SettingInfo] = {
    "brightness": SettingInfo(Filter.BRIGHTNESS, "added to every sample"),
    "contrast": SettingInfo(Filter.CONTRAST, "contrast around mid-grey"),
    "hue": SettingInfo(Filter.HUE, "hue rotation in degrees"),
    "saturation": SettingInfo(Filter.SATURATION, "colour saturation"),
    "sharpness": SettingInfo(Filter.SHARPNESS, "sharpening strength"),
    "bayer_gain_red": SettingInfo(
        Filter.BAYER_GAIN_RED, "white-balance gain of red in percent (100: unity)"
    ),
    "bayer_gain_green": SettingInfo(Filter.BAYER_GAIN_GREEN, "white-balance gain of green"),
    "bayer_gain_blue": SettingInfo(Filter.BAYER_GAIN_BLUE, "white-balance gain of blue"),
    "bayer_gain_auto": SettingInfo(
        Filter.BAYER_GAIN_AUTO, "measure the white balance on every colour frame"
    ),
    "gamma": SettingInfo(Filter.GAMMA, "gamma, 100 leaves the picture as is"),
    "bayer_mode": SettingInfo(
        Filter.BAYER_MODE, "colour of the first sensor sample (3 for this camera)"
    ),
    "global_gain": SettingInfo(Filter.GLOBAL_GAIN, "analog gain of the sensor"),
    "exposure_time": SettingInfo(
        Filter.EXPOSURE_TIME, "exposure; the camera keeps the nearest of 8..1068"
    ),
    "gray_mode": SettingInfo(
        Filter.GRAY_MODE, "0 colour, 1 gray gains and offsets, 2 automatic gray gains"
    ),
    "gray_gain_r": SettingInfo(Filter.GRAY_GAIN_R, "gray gain of red sites (128: unity)"),
    "gray_gain_g1": SettingInfo(Filter.GRAY_GAIN_G1, "gray gain of green sites on red rows"),
    "gray_gain_g2": SettingInfo(Filter.GRAY_GAIN_G2, "gray gain of green sites on blue rows"),
    "gray_gain_b": SettingInfo(Filter.GRAY_GAIN_B, "gray gain of blue sites"),
    "gray_offset_r": SettingInfo(Filter.GRAY_OFFSET_R, "gray offset of red sites"),
    "gray_offset_g1": SettingInfo(Filter.GRAY_OFFSET_G1, "gray offset of green sites on red rows"),
    "gray_offset_g2": SettingInfo(
        Filter.GRAY_OFFSET_G2, "gray offset of green sites on blue rows"
    ),
    "gray_offset_b": SettingInfo(Filter.GRAY_OFFSET_B, "gray offset of blue sites"),
    "mirror_v": SettingInfo(None, "True turns the picture upside down"),
    "auto_iris": SettingInfo(None, "AutoIris.OFF, EXPOSURE (automatic exposure) or GAIN"),
}

# Other names of settings: the analog pair as the camera's documentation calls them, and the
# continuous white balance.
ALIASES = {
    "gain": "global_gain",
    "exposure": "exposure_time",
    "auto_white_balance": "bayer_gain_auto",
}

# Ranges of the settings that are not filter values.
_OWN_RANGES = {"mirror_v": (0, 1), "auto_iris": (0, 2)}


def setting_range(name: str) -> Tuple[int, int]:
    """The smallest and largest value the setting ``name`` accepts (aliases too).

    Filter settings ask the library's table (PixoraEx_GetFilterRange); no camera is needed.
    """
    name = ALIASES.get(name, name)
    if name not in SETTINGS:
        raise KeyError(f"no setting {name!r}; the settings are {', '.join(SETTINGS)}")
    if name in _OWN_RANGES:
        return _OWN_RANGES[name]
    from . import _library  # loaded on first use, not when the package is imported
    import ctypes

    low, high = ctypes.c_int32(), ctypes.c_int32()
    if not _library.library().PixoraEx_GetFilterRange(
        SETTINGS[name].index, ctypes.byref(low), ctypes.byref(high)
    ):
        raise PixoraError(f"the library knows no range of {name}", ErrorCode.BAD_ARGUMENT)
    return low.value, high.value


def int32(value: object, what: str) -> int:
    """``value`` as a 32-bit integer argument: TypeError for a non-integer, PixoraError
    (BAD_ARGUMENT) beyond 32 bits, which ctypes would otherwise cut silently."""
    number = operator.index(value)  # type: ignore[arg-type]
    if not INT32_MIN <= number <= INT32_MAX:
        raise PixoraError(f"{what}: {number} does not fit 32 bits", ErrorCode.BAD_ARGUMENT)
    return number


class Setting:
    """A filter setting of the camera, read and written through the library."""

    def __init__(self, name: str, convert=int) -> None:
        self.name = ALIASES.get(name, name)
        self.index = SETTINGS[self.name].index
        self.convert = convert

    def __set_name__(self, owner: type, attribute: str) -> None:
        self.attribute = attribute

    @property
    def __doc__(self) -> str:  # type: ignore[override]
        description = SETTINGS[self.name].description
        alias = f" (the same as {self.name})" if self.attribute != self.name else ""
        try:
            low, high = setting_range(self.name)
            accepted = f" Accepts {low}..{high}."
        except PixoraError:
            accepted = " The accepted values are in setting_range()."
        if self.convert is bool:
            accepted = " True or False."
        return f"{description.capitalize()}{alias}.{accepted}"

    def __get__(self, camera, owner=None):
        if camera is None:
            return self
        return self.convert(camera._get_filter(self.index, self.name))

    def __set__(self, camera, value) -> None:
        camera._set_filter(self.index, int32(value, self.attribute), self.name)
