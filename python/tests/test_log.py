"""The library's log reaches the logging module (logger "pixora") and nothing reaches the
process's streams; a failed save keeps the file that was there."""

import logging
import os
import subprocess

import pytest

import pixora


def test_the_librarys_warnings_reach_logging_and_not_the_streams(tmp_path, monkeypatch, capfd, caplog):
    # A folder where the settings file should be: neither read nor written, said once.
    folder = tmp_path / "settings-folder"
    folder.mkdir()
    monkeypatch.setenv("PIXORA_REGISTRY", str(folder))
    with caplog.at_level(logging.WARNING, logger="pixora"):
        with pixora.Camera() as cam:
            cam.brightness = 10
    warnings = [r for r in caplog.records if r.name == "pixora" and r.levelno == logging.WARNING]
    assert len(warnings) == 1, caplog.text
    assert str(folder) in warnings[0].getMessage()
    assert "is not a regular file" in warnings[0].getMessage()
    out, err = capfd.readouterr()
    assert (out, err) == ("", "")


@pytest.fixture
def full_disk(tmp_path):
    """A folder on a tmpfs of two megabytes (the superuser's only), unmounted afterwards."""
    disk = tmp_path / "disk"
    disk.mkdir()
    if os.geteuid() != 0:
        pytest.skip("a tmpfs can be mounted only by the superuser")
    mounted = subprocess.run(
        ["mount", "-t", "tmpfs", "-o", "size=2m", "tmpfs", str(disk)], capture_output=True
    )
    if mounted.returncode != 0:
        pytest.skip(f"no tmpfs: {mounted.stderr.decode().strip()}")
    try:
        yield disk
    finally:
        subprocess.run(["umount", "-l", str(disk)], check=False)


def test_a_save_on_a_full_disk_keeps_the_file_that_was_there(cam, full_disk):
    target = full_disk / "picture.png"
    target.write_bytes(b"yesterday's good picture")
    # Unbuffered: every write meets the full disk itself, none is left for the close.
    with open(full_disk / "filler", "wb", buffering=0) as out:
        try:
            while True:
                out.write(b"x" * 4096)
        except OSError:
            pass
    cam.snapshot(24)
    with pytest.raises(pixora.PixoraError) as failure:
        cam.save(target)
    assert "No space left on device" in str(failure.value.detail)
    assert target.read_bytes() == b"yesterday's good picture"
    # Nor is a new file of any format left half written.
    for name in ("new.bmp", "new.raw", "new.jpg", "new.tif"):
        with pytest.raises(pixora.PixoraError):
            cam.save(full_disk / name)
    assert sorted(p.name for p in full_disk.iterdir()) == ["filler", "picture.png"]
