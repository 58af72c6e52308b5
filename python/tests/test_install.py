"""Finding the library: the installed package loads the library installed with it (no
LD_LIBRARY_PATH, no PIXORA_LIBRARY), also once the installed tree is moved; PIXORA_LIBRARY
names another; a library that cannot be loaded is a LibraryError that says where it looked."""

import os
import pathlib
import re
import shutil
import subprocess
import sys

import pytest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
PROBE = (
    "import pixora; print(pixora.library_path()); print(pixora.cameras()); "
    "print(pixora.__version__)"
)
# The version set in the project's CMakeLists.txt, which every installation carries.
VERSION = re.search(r"project\(\w+ VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text())[1]


def run_python(code, **environment):
    clean = {k: v for k, v in os.environ.items() if k not in ("PIXORA_LIBRARY", "PYTHONPATH")}
    clean.pop("LD_LIBRARY_PATH", None)
    clean.update(environment)
    return subprocess.run(
        [sys.executable, "-c", code], capture_output=True, text=True, env=clean, timeout=60
    )


@pytest.fixture(autouse=True)
def sim():
    """The cameras are the children's: nothing to reset here."""
    yield


def test_the_installed_package_loads_the_installed_library(tmp_path):
    build = os.environ.get("PIXORA_BUILD_DIR")
    if not build:
        pytest.skip("PIXORA_BUILD_DIR (the build to install) is not set")
    staging = tmp_path / "staging"
    subprocess.run(
        ["cmake", "--install", build, "--prefix", str(staging)],
        check=True,
        capture_output=True,
    )
    prefix = tmp_path / "moved"
    staging.rename(prefix)  # the package must find the library from where it lies now
    package = prefix / "lib/python3/dist-packages/pixora"
    for module in (SOURCE / "python/pixora").glob("*.py"):
        assert (package / module.name).read_bytes() == module.read_bytes(), module.name
    assert (package / "py.typed").is_file()  # type checkers read the annotations
    result = run_python(
        PROBE,
        PYTHONPATH=str(prefix / "lib/python3/dist-packages"),
        PIXORA_REGISTRY=str(tmp_path / "registry.reg"),
        PYTHONDONTWRITEBYTECODE="1",
    )
    assert result.returncode == 0, result.stderr
    loaded, listed, version = result.stdout.splitlines()
    assert pathlib.Path(loaded).resolve().is_relative_to(prefix.resolve())
    assert pathlib.Path(loaded).name == "libPixoraSdk_530TZ.so.25"
    assert listed == "[(0, 'Pixora530TZ_01')]"
    assert version == VERSION


def test_pixora_library_names_the_library_and_a_wrong_one_is_reported(tmp_path):
    library = os.environ["PIXORA_LIBRARY"]
    copy = tmp_path / "libcopy.so"
    shutil.copyfile(library, copy)
    python = str(SOURCE / "python")
    result = run_python(
        PROBE, PYTHONPATH=python, PIXORA_LIBRARY=str(copy), PYTHONDONTWRITEBYTECODE="1"
    )
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines()[0] == str(copy)
    missing = str(tmp_path / "nowhere.so")
    code = (
        "import pixora\n"
        "try:\n"
        "    pixora.cameras()\n"
        "except pixora.LibraryError as error:\n"
        "    print(isinstance(error, OSError), isinstance(error, pixora.PixoraError), error)\n"
    )
    result = run_python(
        code, PYTHONPATH=python, PIXORA_LIBRARY=missing, PYTHONDONTWRITEBYTECODE="1"
    )
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("True True cannot load the 530TZ library")
    assert missing in result.stdout and "PIXORA_LIBRARY" in result.stdout
    # Importing the package needs no library: help() works without one.
    result = run_python(
        "import pixora; help(pixora.Camera)",
        PYTHONPATH=python,
        PIXORA_LIBRARY=missing,
        PYTHONDONTWRITEBYTECODE="1",
    )
    assert result.returncode == 0 and "snapshot" in result.stdout


def test_pip_installs_the_package_with_its_library_into_a_venv(tmp_path):
    """As docs/python.md says: a venv that sees Debian's numpy, pip without PyPI, and the
    library named at install time copied into the package."""
    probe = subprocess.run([sys.executable, "-c", "import venv, ensurepip"], capture_output=True)
    if probe.returncode != 0:
        pytest.skip("python3-venv is not installed")
    source = tmp_path / "python"
    leftovers = shutil.ignore_patterns("build", "*.egg-info", "__pycache__")
    shutil.copytree(SOURCE / "python", source, ignore=leftovers)
    # The package takes its version from the project's CMakeLists.txt beside it.
    shutil.copyfile(SOURCE / "CMakeLists.txt", tmp_path / "CMakeLists.txt")
    venv = tmp_path / "venv"
    subprocess.run(
        [sys.executable, "-m", "venv", "--system-site-packages", str(venv)],
        check=True,
        capture_output=True,
        timeout=120,
    )
    python = str(venv / "bin/python")
    installed = subprocess.run(
        [python, "-m", "pip", "install", "--no-build-isolation", "--no-index", str(source)],
        capture_output=True,
        text=True,
        timeout=300,
        env={**os.environ, "PIXORA_LIBRARY": os.environ["PIXORA_LIBRARY"]},
    )
    assert installed.returncode == 0, installed.stdout + installed.stderr
    unset = ("PIXORA_LIBRARY", "PYTHONPATH", "LD_LIBRARY_PATH")
    clean = {k: v for k, v in os.environ.items() if k not in unset}
    clean["PIXORA_REGISTRY"] = str(tmp_path / "registry.reg")
    result = subprocess.run(
        [python, "-c", PROBE], capture_output=True, text=True, env=clean, cwd=tmp_path, timeout=60
    )
    assert result.returncode == 0, result.stderr
    loaded, listed, version = result.stdout.splitlines()
    assert pathlib.Path(loaded).resolve().is_relative_to(venv.resolve())
    assert listed == "[(0, 'Pixora530TZ_01')]"
    assert pathlib.Path(loaded).with_name("py.typed").is_file()
    assert version == VERSION
