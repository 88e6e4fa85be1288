"""Finds and loads the C library, in this order: the path in ARX_LIBRARY, a
copy inside the package (make python puts one there), the build tree when the
package runs from a checkout, then the system's library search."""
from __future__ import annotations

import ctypes
import ctypes.util
import os
import pathlib
import sys

PACKAGE = pathlib.Path(__file__).resolve().parent
FILE_NAME = "arx.dll" if sys.platform == "win32" else "libarx.so"
# The checkout's build folders, as README's commands create them.
BUILD_FOLDERS = ("build", "build-demo", "build-asan", "build-tsan")


class LibraryNotFound(OSError):
    """The C library was found nowhere; the message lists where it was looked for."""


def candidates() -> list[tuple[str, str]]:
    """(where, path or name) in the order they are tried."""
    out = []
    explicit = os.environ.get("ARX_LIBRARY")
    if explicit:
        return [("ARX_LIBRARY", explicit)]
    out.append(("the package", str(PACKAGE / FILE_NAME)))
    checkout = PACKAGE.parent.parent
    if (checkout / "include" / "arx_api.h").exists():
        out += [("the build tree", str(checkout / folder / FILE_NAME)) for folder in BUILD_FOLDERS]
    out.append(("the system", ctypes.util.find_library("arx") or FILE_NAME))
    return out


def load() -> tuple[ctypes.CDLL, str]:
    """The library and the path (or name) it was loaded from."""
    tried = []
    for where, path in candidates():
        if where != "the system" and not os.path.exists(path):
            tried.append(f"{where}: {path} (no such file)")
            continue
        try:
            return ctypes.CDLL(path), path
        except OSError as error:
            tried.append(f"{where}: {path} ({error})")
    raise LibraryNotFound("the arx C library was not found; looked in:\n  " + "\n  ".join(tried) +
                          "\nset ARX_LIBRARY to its path, or run `make python` in the source tree")
