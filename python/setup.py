"""The package's build step beyond pyproject.toml: the package's version is the project's,
read from the CMakeLists.txt above and written into the package (``_version.py``); a library
named by PIXORA_LIBRARY when the package is built (pip install) goes into the package, with
an ``_installed.py`` that names it, so that the installed package loads the library it was
installed with. Without it the
package is pure Python and loads the library named by PIXORA_LIBRARY at run time, or the
system's."""

import os
import re
import shutil

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution

LIBRARY = os.environ.get("PIXORA_LIBRARY")
HERE = os.path.dirname(os.path.abspath(__file__))


def project_version():
    """The version set in the project's CMakeLists.txt, or kept in an sdist's PKG-INFO."""
    for path, pattern in (
        (os.path.join(HERE, "..", "CMakeLists.txt"), r"project\(\w+ VERSION ([0-9.]+)"),
        (os.path.join(HERE, "PKG-INFO"), r"(?m)^Version: ([0-9.]+)$"),
    ):
        if os.path.isfile(path):
            with open(path, encoding="utf-8") as text:
                found = re.search(pattern, text.read())
            if found:
                return found.group(1)
    raise SystemExit("no project version: build the package from the project's source tree")


VERSION = project_version()


class BuildWithLibrary(build_py):
    def run(self):
        super().run()
        package = os.path.join(self.build_lib, "pixora")
        with open(os.path.join(package, "_version.py"), "w") as module:
            module.write(
                '"""Written by the build: the version of the project the package was built '
                'with."""\n'
                f"VERSION = {VERSION!r}\n"
            )
        if not LIBRARY:
            return
        if not os.path.isfile(LIBRARY):
            raise SystemExit(f"PIXORA_LIBRARY={LIBRARY}: no such file")
        name = os.path.basename(LIBRARY)
        # The file itself, not a link to it: the build tree may go away.
        shutil.copyfile(os.path.realpath(LIBRARY), os.path.join(package, name))
        with open(os.path.join(package, "_installed.py"), "w") as module:
            module.write(
                '"""Written by the build: the library installed with the package."""\n'
                f"LIBRARY = {name!r}  # relative to this folder\n"
            )


class MaybeBinary(Distribution):
    # A bundled library makes the package platform-specific.
    def has_ext_modules(self):
        return bool(LIBRARY)


setup(version=VERSION, cmdclass={"build_py": BuildWithLibrary}, distclass=MaybeBinary)
