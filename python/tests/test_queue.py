"""Streams on the library's frame queue: frames are views of buffers that no later frame
rewrites while they are held, given back by release(), a with block or garbage collection,
kept by copy(); both channel orders; the settings each frame was taken with; the raw mosaic;
trigger pauses longer than the driver's transfer time-out; time-outs as TimeoutError."""

import gc
import os
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import pixora
from pixora import CaptureState


def test_a_held_frame_is_not_rewritten_by_later_frames(cam, sim):
    sim.set_scene(pixora.Scene.MOVING)  # every frame differs from the one before
    sim.set_fps(100)
    with cam.stream(bits=8, buffers=2) as frames:
        held = next(frames)
        kept = held.image.copy()
        later = []
        for frame in frames:
            with frame:
                later.append((frame.sequence, frame.image[300].copy()))
            if len(later) == 10:
                break
        # The other buffer carried ten frames meanwhile; this one still has its own.
        assert np.array_equal(held.image, kept)
        assert all(not np.array_equal(row, kept[300]) for _, row in later)
        assert [sequence for sequence, _ in later] == sorted({s for s, _ in later})
        held.release()


def test_release_copy_and_garbage_collection_give_buffers_back(cam, sim):
    sim.set_fps(100)
    with cam.stream(bits=24, buffers=1, timeout=0.5) as frames:
        first = next(frames)
        assert not first.image.flags.owndata  # a view of the queue buffer
        kept = first.copy()
        assert kept.image.flags.c_contiguous and kept.image.flags.owndata
        assert not np.shares_memory(kept.image, first.image)
        assert np.array_equal(kept.image, first.image)
        assert (kept.sequence, kept.exposure) == (first.sequence, first.exposure)
        first.release()
        assert first.released and first.sequence == kept.sequence  # the meta stays
        with pytest.raises(ValueError, match="released"):
            first.image
        first.release()  # again: nothing
        # The one buffer came back: the next frame comes; dropped by the loop, it goes
        # back too (garbage collection), and so does a frame of a with block.
        second = next(frames)
        assert second.sequence > kept.sequence
        del second
        gc.collect()
        with next(frames) as third:
            assert third.image.shape == (1024, 1360, 3)
        fourth = next(frames)
        # A view kept past release() keeps the buffer: it is never read after its reuse.
        row = fourth.image[300]
        fourth.release()
        with pytest.raises(pixora.StreamTimeoutError, match="held by frames not released"):
            next(frames)
        assert row.shape == (1360, 3)
    assert cam.state == CaptureState.IDLE


def test_frames_stay_valid_after_the_stream_and_the_camera_end(sim):
    camera = pixora.Camera()
    frame = next(iter(camera.stream(bits=8, count=1)))
    expected = camera.snapshot(8)
    camera.close()
    assert np.array_equal(frame.image, expected)  # the static bars
    frame.release()


def test_channel_orders_are_views_of_the_same_buffer(cam, sim):
    snapshot = cam.snapshot(24)  # red, green, blue
    with cam.stream(bits=24, count=1) as frames:
        rgb = next(frames)
        assert np.array_equal(rgb.image, snapshot)
    with cam.stream(bits=24, count=1, order="bgr") as frames:
        bgr = next(frames)
        assert np.array_equal(bgr.image, snapshot[:, :, ::-1])
        assert bgr.image.strides[2] == 1  # the library's own layout, as OpenCV takes it
    for bits in (32, 48, 64):
        snapshot = cam.snapshot(bits)
        for order in ("rgb", "bgr"):
            with next(iter(cam.stream(bits=bits, count=1, order=order))) as frame:
                image = frame.image
                if order == "bgr":
                    image = image[:, :, [2, 1, 0] + ([3] if bits in (32, 64) else [])]
                assert np.array_equal(image[:, :, :3], snapshot[:, :, :3]), (bits, order)
    with pytest.raises(pixora.PixoraError):
        cam.stream(order="rbg")
    with pytest.raises(pixora.PixoraError):
        cam.stream(buffers=65)


def test_each_frame_carries_the_settings_it_was_taken_with(cam, sim):
    sim.set_fps(50)
    cam.exposure, cam.gain = 400, 200
    with cam.stream(bits=24) as frames:
        before = next(frames)
        assert (before.exposure, before.gain) == (400, 200)
        assert before.white_balance == cam.white_balance
        assert before.bayer_pattern is None and not before.raw and not before.triggered
        level = before.image.mean()
        before.release()
        cam.exposure = 200  # half the light
        cam.gain = 100
        cam.white_balance = (150, 100, 120)
        seen = []
        for frame in frames:
            with frame:
                seen.append((frame.exposure, frame.gain, frame.white_balance))
                if frame.exposure == 200 and frame.white_balance == (150, 100, 120):
                    assert frame.image.mean() < level - 5
                    break
            assert len(seen) < 30, seen
    # The new values come in at one frame and stay.
    exposures = [exposure for exposure, _, _ in seen]
    assert exposures == sorted(exposures, reverse=True)
    assert seen[-1][1] == 100


def test_the_raw_mosaic_ignores_the_stored_adjustments(cam, sim):
    neutral = cam.snapshot(8)  # the defaults leave the bars' mosaic as it is
    cam.brightness, cam.gamma, cam.mirror_v = 80, 200, True
    with cam.stream(bits=8, count=1, raw=True) as frames:
        with next(frames) as frame:
            assert (frame.raw, frame.bits, frame.bayer_pattern) == (True, 8, "GRBG")
            assert np.array_equal(frame.image, neutral)
    with next(iter(cam.stream(bits=8, count=1))) as processed:
        assert not np.array_equal(processed.image, neutral)
    with next(iter(cam.stream(bits=48, count=1, raw=True))) as deep:
        assert (deep.bits, deep.image.dtype, deep.image.shape) == (16, np.uint16, (1024, 1360))
        assert deep.image.max() <= 1023
        # The 8-bit samples are the top bits of the 10-bit ones.
        assert np.abs((deep.image >> 2).astype(int) - neutral).max() <= 1


def test_a_trigger_stream_waits_out_a_pause_longer_than_the_transfer_time_out(cam, sim):
    pulses = [threading.Timer(0.3, sim.trigger), threading.Timer(3.8, sim.trigger)]
    for pulse in pulses:
        pulse.start()
    started = time.monotonic()
    try:
        frames = [f.copy() for f in cam.stream(bits=8, count=2, trigger=True, timeout=None)]
    finally:
        for pulse in pulses:
            pulse.cancel()
    assert len(frames) == 2 and all(frame.triggered for frame in frames)
    assert frames[1].timestamp - frames[0].timestamp > 3.0
    assert time.monotonic() - started > 3.5
    assert cam.state == CaptureState.IDLE


def test_a_time_out_is_a_timeout_error_that_names_the_mode(cam, sim):
    started = time.monotonic()
    with pytest.raises(TimeoutError) as timed_out:
        next(iter(cam.stream(trigger=True, timeout=0.5)))
    assert isinstance(timed_out.value, pixora.PixoraError)
    assert "within 0.5 s" in str(timed_out.value) and "trigger" in str(timed_out.value)
    assert time.monotonic() - started < 3
    assert cam.state == CaptureState.IDLE


def test_a_camera_failure_in_a_trigger_stream_names_the_mode(cam, sim):
    pulses = threading.Event()

    def pulse():
        while not pulses.wait(0.1):
            sim.trigger()

    threading.Thread(target=pulse, daemon=True).start()
    sim.set_fault(pixora.Fault.VANISH, 2)
    try:
        with pytest.raises(pixora.PixoraError) as failed:
            for _ in cam.stream(trigger=True, timeout=5):
                pass
    finally:
        pulses.set()
    assert not isinstance(failed.value, TimeoutError)
    assert failed.value.code == pixora.ErrorCode.STREAM_FAILED
    assert "trigger stream stopped" in str(failed.value)


def test_when_every_buffer_is_busy_the_chosen_frame_is_dropped(cam, sim):
    sim.set_fps(50)
    for drop in ("newest", "oldest"):
        with cam.stream(bits=8, buffers=4, drop=drop) as frames:
            first = next(frames)
            time.sleep(0.4)  # about 20 frames for 3 free buffers
            following = [next(frames).copy() for _ in range(3)]
            first.release()
        numbers = [frame.sequence for frame in following]
        if drop == "newest":
            # The queue kept the frames right after the first and dropped the later ones.
            assert numbers == [first.sequence + 1, first.sequence + 2, first.sequence + 3]
            assert following[0].dropped == 0
        else:
            # The queue kept the newest: the loop missed the frames in between, counted.
            assert numbers[0] > first.sequence + 5
            assert following[0].dropped == numbers[0] - first.sequence - 1
    counts = cam.counts
    assert counts.delivered + counts.dropped + counts.failed == sim.frames_sent()


def test_frames_held_at_exit_or_after_close_end_the_program_cleanly(tmp_path):
    # A held frame outlives its camera and is given back by the finalizers at exit.
    program = (
        "import pixora\n"
        "cam = pixora.Camera()\n"
        "held = [next(iter(cam.stream(bits=8))) for _ in range(2)]\n"
        "view = held[0].image[10:20]\n"
        "held[0].release()\n"
        "cam.close()\n"
        "print(int(view.sum()) >= 0, held[1].image.shape)\n"
    )
    environment = dict(os.environ, PIXORA_REGISTRY=str(tmp_path / "registry.reg"))
    environment["PIXORA_SIM"] = "fps=50"
    result = subprocess.run(
        [sys.executable, "-c", program], capture_output=True, text=True, env=environment, timeout=60
    )
    assert result.returncode == 0, result.stderr
    assert result.stdout == "True (1024, 1360)\n"
