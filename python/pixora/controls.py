"""The camera's controls and save formats, as the library describes them at run time.

The library publishes every setting it has (PixoraEx_GetControlInfo) and every file format
it writes (PixoraEx_GetSaveFormatInfo); this module reads both tables once, when first
asked, and the Camera's attributes, ``Camera.controls`` and ``Camera.save`` are built on
them. Nothing of a control is written in the package: a control the library adds is an
attribute.
"""

import ctypes
import threading
from typing import Dict, Iterator, List, Mapping, NamedTuple, Optional, Tuple

from . import _library
from ._records import ControlInfo as _ControlInfo
from ._records import SaveFormatInfo as _SaveFormatInfo
from ._records import new_record

INT32_MIN = -(2**31)
INT32_MAX = 2**31 - 1

# PIXORA_CONTROL_* of PixoraExtensions.h: kinds and flags.
_KINDS = {1: "integer", 2: "boolean", 3: "enumeration"}
_FLAGS = {
    0x1: "saved",
    0x2: "loaded",
    0x4: "live",
    0x8: "refused",
    0x10: "any_value",
    0x20: "hex",
    0x40: "camera_clamps",
    0x80: "slow_read",
    0x100: "needs_camera",
    0x200: "window",
}


class ControlValue(NamedTuple):
    """One value of an enumeration control: the number, its name and its label."""

    value: int
    name: str
    label: str


class Control(NamedTuple):
    """A control of the camera as the library describes it.

    ``name`` is the library's (``"gamma"``, ``"offset-x"``); the Camera attribute is the name
    with ``_`` for ``-``. ``minimum``..``maximum`` in steps of ``step`` are what it takes
    (every 32-bit value when ``"any_value"`` is in ``flags``), ``default`` its neutral,
    first-run value, ``camera_minimum``..``camera_maximum`` what the camera keeps of it.
    ``kind`` is ``"integer"``, ``"boolean"`` or ``"enumeration"`` (``values``: its named
    values). ``flags``: ``"live"`` (acts on a running capture), ``"saved"``, ``"refused"``
    (this camera refuses it), ``"window"`` (the capture window), ...
    """

    id: int
    name: str
    attribute: str
    label: str
    description: str
    unit: str
    kind: str
    minimum: int
    maximum: int
    step: int
    default: int
    camera_minimum: int
    camera_maximum: int
    filter_index: Optional[int]
    aliases: Tuple[str, ...]
    values: Tuple[ControlValue, ...]
    flags: frozenset

    @property
    def accepted(self) -> Tuple[int, int]:
        """The smallest and largest value a set takes."""
        if "any_value" in self.flags:
            return INT32_MIN, INT32_MAX
        return self.minimum, self.maximum

    def doc(self) -> str:
        """One paragraph for people: the description, values, unit and default."""
        text = self.description[:1].upper() + self.description[1:] + "."
        if "refused" in self.flags:
            return text + " This camera refuses it."
        if self.kind == "boolean":
            text += " True or False."
        elif self.kind == "enumeration":
            text += " One of " + ", ".join(f"{v.value} ({v.name})" for v in self.values) + "."
        else:
            low, high = self.accepted
            unit = f" {self.unit}" if self.unit else ""
            text += f" Accepts {low}..{high}{unit}."
        return text + f" Default {self.default}."


class SaveFormat(NamedTuple):
    """A file format of Camera.save as the library describes it."""

    code: int
    name: str
    label: str
    description: str
    quality: int
    extensions: Tuple[str, ...]


def _text(value: Optional[bytes]) -> str:
    return (value or b"").decode("utf-8", "replace")


def _strings(pointer) -> Tuple[str, ...]:
    texts: List[str] = []
    if not pointer:
        return ()
    index = 0
    while pointer[index] is not None:
        texts.append(_text(pointer[index]))
        index += 1
    return tuple(texts)


def _control(record: _ControlInfo) -> Control:
    name = _text(record.name)
    values = tuple(
        ControlValue(v.value, _text(v.name), _text(v.label))
        for v in (record.values[i] for i in range(record.valueCount))
    )
    return Control(
        id=record.id,
        name=name,
        attribute=name.replace("-", "_"),
        label=_text(record.label),
        description=_text(record.description),
        unit=_text(record.unit),
        kind=_KINDS.get(record.kind, "integer"),
        minimum=record.minimum,
        maximum=record.maximum,
        step=record.step,
        default=record.defaultValue,
        camera_minimum=record.cameraMinimum,
        camera_maximum=record.cameraMaximum,
        filter_index=record.filterIndex or None,
        aliases=_strings(record.aliases),
        values=values,
        flags=frozenset(word for bit, word in _FLAGS.items() if record.flags & bit),
    )


_lock = threading.Lock()
_tables: Dict[str, tuple] = {}


def _table(key: str, count: str, info: str, record_type: type, convert) -> tuple:
    """The rows of one of the library's tables, read once: ``count()`` rows, each filled by
    ``info(index, record)`` and converted; a row the library refuses is left out."""
    with _lock:
        if key not in _tables:
            library = _library.library()
            found = []
            for index in range(getattr(library, count)()):
                record = new_record(record_type)
                if getattr(library, info)(index, ctypes.byref(record)):
                    found.append(convert(record))
            _tables[key] = tuple(found)
        return _tables[key]


def all_controls() -> Tuple[Control, ...]:
    """Every control of the loaded library, in its order (loads the library)."""
    return _table(
        "controls", "PixoraEx_GetControlCount", "PixoraEx_GetControlInfo", _ControlInfo, _control
    )


def find(name: str) -> Optional[Control]:
    """The control named ``name`` or one of its aliases, with ``-`` or ``_``; None if none."""
    if not isinstance(name, str):
        return None
    wanted = _library.library().PixoraEx_FindControl(name.replace("_", "-").encode("utf-8"))
    for control in all_controls():
        if control.id == wanted:
            return control
    return None


def by_filter(index: int) -> Control:
    """The control behind a filter index (``pixora.Filter``)."""
    for control in all_controls():
        if control.filter_index == index:
            return control
    raise KeyError(f"no control has filter index {index}")


def _save_format(record) -> SaveFormat:
    return SaveFormat(
        record.code,
        _text(record.name),
        _text(record.label),
        _text(record.description),
        record.quality,
        _strings(record.extensions),
    )


def save_formats() -> Tuple[SaveFormat, ...]:
    """Every file format of the loaded library, in its order (loads the library)."""
    return _table(
        "formats",
        "PixoraEx_GetSaveFormatCount",
        "PixoraEx_GetSaveFormatInfo",
        _SaveFormatInfo,
        _save_format,
    )


class Controls(Mapping):
    """The controls by name (``controls["gamma"]``): read-only; an alias or the attribute
    spelling (``"gain"``, ``"offset_x"``) finds its control too."""

    def __getitem__(self, name: str) -> Control:
        control = find(name)
        if control is None:
            raise KeyError(name)
        return control

    def __iter__(self) -> Iterator[str]:
        return (control.name for control in all_controls())

    def __len__(self) -> int:
        return len(all_controls())

    def __contains__(self, name: object) -> bool:
        return isinstance(name, str) and find(name) is not None

    def __repr__(self) -> str:
        return f"<pixora controls: {', '.join(self)}>"
