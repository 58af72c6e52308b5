"""Finding and loading the shared library, once per process.

Where it is looked for, first found first:

1. the file named by the environment variable PIXORA_LIBRARY (only that one when it is set);
2. the library the package was installed with: ``_installed.py``, written by ``cmake
   --install`` (a path relative to the package) or by a pip build that bundled a library;
3. the system's search path: ``libPixoraSdk_530TZ.so.25`` (Linux), ``PixoraSdk_530TZ.dll``
   (Windows).
"""

import ctypes
import os
import threading
from typing import List, Optional, Tuple

from . import _binding, _log
from .errors import LibraryError

LIBRARY_VARIABLE = "PIXORA_LIBRARY"

_lock = threading.Lock()
_loaded: Optional[Tuple[ctypes.CDLL, str]] = None


def _system_names() -> List[str]:
    if os.name == "nt":
        return ["PixoraSdk_530TZ.dll"]
    # The name the library is linked by (its SONAME), then the development link.
    return ["libPixoraSdk_530TZ.so.25", "libPixoraSdk_530TZ.so"]


def _installed_library() -> Optional[str]:
    try:
        from . import _installed  # type: ignore[attr-defined]
    except ImportError:
        return None
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, _installed.LIBRARY))


def candidates() -> List[Tuple[str, str]]:
    """The places the library is looked for, in order: (path or name, where it came from)."""
    named = os.environ.get(LIBRARY_VARIABLE)
    if named:
        return [(named, LIBRARY_VARIABLE)]
    places = []
    installed = _installed_library()
    if installed is not None:
        places.append((installed, "the installation"))
    places.extend((name, "the system's library path") for name in _system_names())
    return places


def _open(path: str) -> ctypes.CDLL:
    # The exports are WINAPI on Windows: the one calling convention of x86-64.
    if os.name == "nt":
        return ctypes.WinDLL(path)
    return ctypes.CDLL(path)


def load() -> Tuple[ctypes.CDLL, str]:
    """The library with every function declared, and the path it was loaded from."""
    global _loaded
    with _lock:
        if _loaded is not None:
            return _loaded
        tried = []
        for path, origin in candidates():
            try:
                library = _open(path)
            except OSError as error:
                tried.append(f"{path} ({origin}): {error}")
                continue
            try:
                _binding.declare(library)
            except AttributeError as error:
                raise LibraryError(f"{path} is not the 530TZ library: {error}") from None
            _log.install(library)
            _loaded = (library, path)
            return _loaded
        raise LibraryError(
            "cannot load the 530TZ library; tried "
            + "; ".join(tried)
            + f". Set {LIBRARY_VARIABLE} to the library's path."
        )


def library() -> ctypes.CDLL:
    """The loaded library (loaded on first use)."""
    return load()[0]


def library_path() -> str:
    """The path (or name) the library was loaded from."""
    return load()[1]
