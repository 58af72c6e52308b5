"""Ctrl-C inside a stream, in a Python process of its own: the stream stops at once, the
program goes on (or ends, when it does not catch the interrupt) and the camera is released."""

import os
import signal
import subprocess
import sys
import textwrap
import time

import pytest

# Streams until interrupted; the settings file shows that the release ran (it stores them,
# and the Camera keeps its own).
PROGRAM = textwrap.dedent(
    """
    import os, sys, pixora
    catch = sys.argv[1] == "catch"
    tasks = lambda: len(os.listdir("/proc/self/task"))
    with pixora.Camera(keep_settings=True) as cam:
        cam.brightness = 42
        before = tasks()
        try:
            for frame in cam.stream():
                print("frame", frame.sequence, flush=True)
        except KeyboardInterrupt:
            if not catch:
                raise
            print("stopped", cam.state.name, "threads", tasks() - before, flush=True)
            print("streams again", len(list(cam.stream(count=2))), flush=True)
    print("closed", cam.closed, flush=True)
    """
)


def run_until_interrupted(tmp_path, mode):
    registry = tmp_path / "registry.reg"
    environment = dict(os.environ, PIXORA_REGISTRY=str(registry), PIXORA_SIM="fps=30")
    child = subprocess.Popen(
        [sys.executable, "-c", PROGRAM, mode],
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
        text=True,
        env=environment,
    )
    try:
        for _ in range(3):
            assert child.stdout.readline().startswith("frame")
        interrupted = time.monotonic()
        child.send_signal(signal.SIGINT)
        output, errors = child.communicate(timeout=10)
    finally:
        child.kill()
        child.wait()
    return child.returncode, time.monotonic() - interrupted, output, errors, registry


def test_ctrl_c_stops_the_stream_and_the_program_goes_on(tmp_path):
    status, took, output, errors, registry = run_until_interrupted(tmp_path, "catch")
    assert status == 0, errors
    lines = [line for line in output.splitlines() if not line.startswith("frame")]
    assert lines == ["stopped IDLE threads 0", "streams again 2", "closed True"]
    assert took < 5
    assert '"Brightness"=dword:0000002a' in registry.read_text()


def test_an_uncaught_ctrl_c_ends_the_program_after_releasing_the_camera(tmp_path):
    status, took, output, errors, registry = run_until_interrupted(tmp_path, "raise")
    assert status == -signal.SIGINT
    assert "KeyboardInterrupt" in errors
    assert "closed" not in output
    assert took < 5
    assert '"Brightness"=dword:0000002a' in registry.read_text()


@pytest.fixture(autouse=True)
def sim():
    """The camera is the child's: nothing to reset here."""
    yield
