"""The exceptions of the package: every failure raises a PixoraError."""

from typing import Optional

from .constants import ErrorCode


def _known(code: int) -> int:
    try:
        return ErrorCode(code)
    except ValueError:
        return code


class PixoraError(Exception):
    """A call on the camera or the library failed.

    Attributes:
        code: the library's error number (an ``ErrorCode`` when it is one the library
            defines), as Pixora_GetLastError popped it; ``ErrorCode.NONE`` (0) when the
            library recorded none, as for a refusal in the wrong capture state, a file that
            cannot be written, or a check this package made before calling.
        function: the library function that failed (for example ``"Pixora_SnapShot"``),
            or None.
        detail: the reason the system gave (PixoraEx_GetFailureDetail, for example
            ``"cannot create 'out/a.png': No such file or directory"``), or None.
    """

    def __init__(
        self,
        message: str,
        code: int = ErrorCode.NONE,
        function: Optional[str] = None,
        detail: Optional[str] = None,
    ) -> None:
        super().__init__(message)
        self.code = _known(code)
        self.function = function
        self.detail = detail

    def __repr__(self) -> str:
        return f"{type(self).__name__}({str(self)!r}, code={int(self.code)})"


class CameraClosedError(PixoraError):
    """A call on a Camera after close() (or after another thread closed it)."""


class StreamTimeoutError(PixoraError, TimeoutError):
    """No frame came within a stream's ``timeout``; also a ``TimeoutError``, so that
    ``except TimeoutError`` catches it. The stream has stopped."""


class LibraryError(PixoraError, OSError):
    """The shared library cannot be found or loaded, or is not the 530TZ library."""
