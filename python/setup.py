"""The package's build step beyond pyproject.toml: a library named by PIXORA_LIBRARY when the
package is built (pip install) goes into the package, with an ``_installed.py`` that names
it, so that the installed package loads the library it was installed with. Without it the
package is pure Python and loads the library named by PIXORA_LIBRARY at run time, or the
system's."""

import os
import shutil

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution

LIBRARY = os.environ.get("PIXORA_LIBRARY")


class BuildWithLibrary(build_py):
    def run(self):
        super().run()
        if not LIBRARY:
            return
        if not os.path.isfile(LIBRARY):
            raise SystemExit(f"PIXORA_LIBRARY={LIBRARY}: no such file")
        package = os.path.join(self.build_lib, "pixora")
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


setup(cmdclass={"build_py": BuildWithLibrary}, distclass=MaybeBinary)
