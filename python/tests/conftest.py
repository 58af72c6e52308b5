"""Fixtures of the Python suites: the built library (PIXORA_LIBRARY, set by ctest), a settings
file of the session's own, and a virtual camera reset before each test."""

import atexit
import os
import shutil
import tempfile

import pytest

# Before the library is loaded: it reads both when first used.
_scratch = tempfile.mkdtemp(prefix="pixora-python-")
atexit.register(shutil.rmtree, _scratch, True)
os.environ["PIXORA_REGISTRY"] = os.path.join(_scratch, "registry.reg")
os.environ["PIXORA_SIM"] = "cameras=0 fps=0 scene=bars maxwait=300"

import pixora  # noqa: E402

WIDTH, HEIGHT = 1360, 1024


@pytest.fixture(autouse=True)
def sim():
    """The virtual camera as PIXORA_SIM sets it up (camera 0, bars, frames at once), and no
    settings stored by an earlier test."""
    pixora.simulator.reset()
    if os.path.exists(os.environ["PIXORA_REGISTRY"]):
        os.remove(os.environ["PIXORA_REGISTRY"])
    yield pixora.simulator
    pixora.simulator.reset()


@pytest.fixture
def cam():
    camera = pixora.Camera()
    yield camera
    camera.close()
