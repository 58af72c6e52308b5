"""The library's log, passed to the ``logging`` module: what the library has to say that no
call can return (a settings file it will not rewrite, an image library's warning) reaches
the logger ``"pixora"``. The library itself never writes to the process's streams.
"""

import atexit
import ctypes
import logging

from . import _binding
from .constants import LogLevel

logger = logging.getLogger("pixora")

_LEVELS = {
    LogLevel.ERROR: logging.ERROR,
    LogLevel.WARNING: logging.WARNING,
    LogLevel.INFO: logging.INFO,
    LogLevel.DEBUG: logging.DEBUG,
}


def _forward(level: int, text: bytes, _context: object) -> None:
    # Called on the library's threads too; nothing may escape into the library.
    try:
        logger.log(_LEVELS.get(level, logging.WARNING), "%s", text.decode("utf-8", "replace"))
    except Exception:  # noqa: BLE001
        pass


# Kept for the life of the process: the library calls it until it is removed.
_handler = _binding.LOG_HANDLER(_forward)


def install(library: ctypes.CDLL) -> None:
    """Routes the library's log to ``logger``, until the interpreter exits."""
    library.PixoraEx_SetLogHandler(_handler, None)
    # Before the interpreter goes: a capture worker must not call into it afterwards. A
    # prototype called without a function is the null handler.
    atexit.register(library.PixoraEx_SetLogHandler, _binding.LOG_HANDLER(), None)
