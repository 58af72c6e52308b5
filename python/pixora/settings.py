"""The settings by name, for programs written before ``Camera.controls``.

``SETTINGS`` maps each control the camera takes (not those it refuses) to its filter index
(None for a control without one) and description; ``ALIASES`` maps the other names of a
control to its name; ``setting_range(name)`` is the smallest and largest value a set takes.
All three come from the library's control table (``pixora.controls``), read when first
used; the names are those of ``pixora get`` and ``pixora set``, with underscores.
"""

import operator
from typing import Iterator, Mapping, NamedTuple, Optional, Tuple

from . import controls
from .constants import ErrorCode
from .controls import INT32_MAX, INT32_MIN
from .errors import PixoraError

__all__ = ["ALIASES", "INT32_MAX", "INT32_MIN", "SETTINGS", "SettingInfo", "int32", "setting_range"]


class SettingInfo(NamedTuple):
    """One named setting: its filter index (None for those without one) and meaning."""

    index: Optional[int]
    description: str


class _Settings(Mapping):
    def _table(self):
        return {
            c.attribute: SettingInfo(c.filter_index, c.description)
            for c in controls.all_controls()
            if "refused" not in c.flags
        }

    def __getitem__(self, name: str) -> SettingInfo:
        return self._table()[name]

    def __iter__(self) -> Iterator[str]:
        return iter(self._table())

    def __len__(self) -> int:
        return len(self._table())


class _Aliases(Mapping):
    def _table(self):
        return {
            alias.replace("-", "_"): c.attribute
            for c in controls.all_controls()
            for alias in c.aliases
        }

    def __getitem__(self, name: str) -> str:
        return self._table()[name]

    def __iter__(self) -> Iterator[str]:
        return iter(self._table())

    def __len__(self) -> int:
        return len(self._table())


SETTINGS: Mapping[str, SettingInfo] = _Settings()
ALIASES: Mapping[str, str] = _Aliases()


def setting_range(name: str) -> Tuple[int, int]:
    """The smallest and largest value the setting ``name`` accepts (aliases too), from the
    library's table; no camera is needed. Every 32-bit value for a control that takes any
    (nonzero is 1 for a flag)."""
    control = controls.find(name)
    if control is None or "refused" in control.flags:
        raise KeyError(f"no setting {name!r}; the settings are {', '.join(SETTINGS)}")
    return control.accepted


def int32(value: object, what: str) -> int:
    """``value`` as a 32-bit integer argument: TypeError for a non-integer, PixoraError
    (BAD_ARGUMENT) beyond 32 bits, which ctypes would otherwise cut silently."""
    number = operator.index(value)  # type: ignore[arg-type]
    if not INT32_MIN <= number <= INT32_MAX:
        raise PixoraError(f"{what}: {number} does not fit 32 bits", ErrorCode.BAD_ARGUMENT)
    return number
