"""The constants of the C headers, as Python enumerations.

Each enumeration holds one family of ``#define``s: ``ErrorCode.BUFFER`` is
``PIXORA_ERR_BUFFER``, ``Filter.BRIGHTNESS`` is ``PIXORA_FILTER_BRIGHTNESS``, and so on. The
members are integers, so they compare equal to the numbers the library uses.
"""

import enum


class ErrorCode(enum.IntEnum):
    """Error codes popped by Pixora_GetLastError (PIXORA_ERR_*); ``PixoraError.code``."""

    NONE = 0
    NO_DEVICE = 1
    DEVICE_NOT_FOUND = 2
    THREAD_FAILED = 3
    WINDOW_FAILED = 4
    BUFFER = 5
    DEVICE_IO = 6
    BAD_GEOMETRY = 7
    TRANSFER_FAILED = 8
    BAD_ARGUMENT = 9
    RESERVED_10 = 10
    NOT_SUPPORTED = 11
    RESERVED_12 = 12
    STREAM_FAILED = 13


class SaveFormat(enum.IntEnum):
    """File formats of Pixora_SaveImage (PIXORA_SAVE_*)."""

    BMP = 0
    RAW = 1
    JPEG = 2
    JPEG_70 = 3
    JPEG_20 = 4
    PNG = 5
    TIFF = 6


class LogLevel(enum.IntEnum):
    """Levels of the library's log messages (PIXORA_LOG_*), which the package passes to the
    ``logging`` module's logger ``"pixora"`` at ERROR, WARNING, INFO and DEBUG."""

    ERROR = 1
    WARNING = 2
    INFO = 3
    DEBUG = 4


class Filter(enum.IntEnum):
    """Filter indices of Pixora_SetFilterValue and Pixora_GetFilterValue (PIXORA_FILTER_*)."""

    BRIGHTNESS = 1
    CONTRAST = 2
    HUE = 3
    SATURATION = 4
    SHARPNESS = 5
    BAYER_GAIN_RGB = 6
    BAYER_GAIN_RED = 7
    BAYER_GAIN_GREEN = 8
    BAYER_GAIN_BLUE = 9
    BAYER_GAIN_AUTO = 10
    GAMMA = 11
    BAYER_MODE = 12
    GLOBAL_GAIN = 13
    COLOR_GAIN_RED = 14
    COLOR_GAIN_GREEN1 = 15
    COLOR_GAIN_GREEN2 = 16
    COLOR_GAIN_BLUE = 17
    EXPOSURE_TIME = 18
    GRAY_MODE = 19
    GRAY_GAIN_R = 20
    GRAY_GAIN_G1 = 21
    GRAY_GAIN_G2 = 22
    GRAY_GAIN_B = 23
    GRAY_OFFSET_R = 24
    GRAY_OFFSET_G1 = 25
    GRAY_OFFSET_G2 = 26
    GRAY_OFFSET_B = 27


class CaptureState(enum.IntEnum):
    """What a camera is doing, as PixoraEx_GetCaptureState reports it."""

    IDLE = 0
    PREVIEW = 1
    CAPTURE = 2
    TRIGGER = 3


class AutoIris(enum.IntEnum):
    """Modes of Pixora_SetAutoIris: automatic exposure or gain control."""

    OFF = 0
    EXPOSURE = 1
    GAIN = 2


class WindowMessage(enum.IntEnum):
    """Window messages the library posts (PIXORA_WM_*)."""

    APP = 0x8000
    FRAME = 0x8002
    ERROR = 0x8003


class Scene(enum.IntEnum):
    """Pictures of the virtual camera (PIXORA_SIM_SCENE_*)."""

    BARS = 0
    GRADIENT = 1
    MOVING = 2


class Fault(enum.IntEnum):
    """Faults the virtual camera can be given (PIXORA_SIM_FAULT_*)."""

    NONE = 0
    ABSENT = 1
    OPEN = 2
    COMMAND = 3
    COMMAND_NUMBER = 4
    SHORT_REPLY = 5
    SHORT_FRAME = 6
    STALL = 7
    VANISH = 8


DEVICE_NAME_ENTRY = 256  # PIXORA_DEVICE_NAME_ENTRY: bytes of one Pixora_EnumDevice entry
DEVICE_NAME_COUNT = 10  # PIXORA_DEVICE_NAME_COUNT: entries Pixora_EnumDevice fills
SIM_CAMERA_SLOTS = 8  # PIXORA_SIM_CAMERA_SLOTS: device indices 0..7
