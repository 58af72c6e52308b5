"""Streams: frame numbers, times on the monotonic clock and drops as the virtual camera's
pacing and a slow consumer make them; whole pictures that belong to their numbers; the
stream's end by count, break, exception, close and failure; trigger mode."""

import threading
import time

import numpy as np
import pytest

import pixora
from pixora import CaptureState, ErrorCode


# The timing suites stream the raw mosaic (8 bits), whose frames cost the library next to
# nothing to process: what they see is the camera's pace and the consumer's, even on a
# loaded machine.


def test_a_fast_consumer_gets_every_frame_at_the_cameras_pace(cam, sim):
    sim.set_fps(10)
    started = time.monotonic()
    frames = []
    for frame in cam.stream(bits=8, count=15):
        received = time.monotonic()
        # The transfer ended before the frame was handed out, on the same clock.
        assert started < frame.timestamp <= received
        assert frame.age >= 0
        frame.release()  # its buffer goes back; the meta stays
        frames.append(frame)
    numbers = [frame.sequence for frame in frames]
    assert numbers == sorted(set(numbers))
    assert [f.dropped for f in frames[1:]] == [b - a - 1 for a, b in zip(numbers, numbers[1:])]
    assert frames[0].dropped == 0
    # 100 ms a frame: the times follow the numbers.
    span = frames[-1].timestamp - frames[0].timestamp
    assert span / (numbers[-1] - numbers[0]) == pytest.approx(0.1, rel=0.25)
    # Each frame, or nearly: a loaded machine may miss a few.
    assert sum(f.dropped for f in frames) <= 5


def test_a_slow_consumer_gets_the_newest_frame_and_counts_the_rest(cam, sim):
    sim.set_fps(50)
    frames = []
    asked = []  # (frames the camera had sent, time) when each frame was asked for
    with cam.stream(bits=8, count=8) as stream:
        while True:
            asked.append((sim.frames_sent(), time.monotonic()))
            try:
                frame = next(stream)
            except StopIteration:
                break
            frame.release()
            frames.append(frame)
            time.sleep(0.1)  # five of the camera's frames
    assert stream.received == 8
    for (sent, _), frame in zip(asked[1:], frames[1:]):
        # A recent frame: the queue drops its oldest frames for new ones, so the loop is
        # at most its four buffers behind, never further with each frame (a loaded
        # machine may lag a few more).
        assert frame.sequence >= sent - 10
    # The frames the loop slept through are counted: about four a frame.
    assert stream.dropped >= 7
    assert stream.dropped == sum(f.dropped for f in frames)
    assert stream.dropped == frames[-1].sequence - frames[0].sequence - 7
    # The frames' numbers and times go at the pace the camera sent them at.
    numbers_per_second = (frames[-1].sequence - frames[0].sequence) / (
        frames[-1].timestamp - frames[0].timestamp
    )
    (sent_first, first), (sent_last, last) = asked[1], asked[-2]
    assert numbers_per_second == pytest.approx((sent_last - sent_first) / (last - first), rel=0.3)
    # The library's own accounting: every frame the camera sent, once.
    counts = cam.counts
    assert counts.delivered + counts.dropped + counts.failed == sim.frames_sent()


def test_each_picture_is_whole_and_belongs_to_its_number(cam, sim):
    # The moving bars: frame n shows the first frame's bars 16 columns further per frame.
    sim.set_scene(pixora.Scene.MOVING)
    first = cam.snapshot(24)[300].astype(int)
    assert cam.counts.delivered == 1
    for frame in cam.stream(count=30):
        shifted = np.roll(first, 16 * (frame.sequence - 1), axis=0)
        for row in (10, 300, 700):  # top to bottom of the bars: one frame throughout
            close = np.abs(frame.image[row].astype(int) - shifted).max(axis=1) <= 2
            assert close.mean() > 0.98, (frame.sequence, row)


@pytest.mark.parametrize("bits", [8, 16, 32, 48, 64])
def test_streams_deliver_every_colour_mode(cam, bits):
    snapshot = cam.snapshot(bits)
    for frame in cam.stream(bits=bits, count=2):
        assert frame.bits == bits
        assert (frame.image.shape, frame.image.dtype) == (snapshot.shape, snapshot.dtype)
        assert np.array_equal(frame.image[300], snapshot[300])


def test_leaving_the_loop_stops_the_stream(cam, sim):
    sim.set_fps(100)
    for frame in cam.stream(count=3):
        pass
    assert cam.state == CaptureState.IDLE  # stopped before the last frame was handed out
    for frame in cam.stream(count=3):
        assert cam.state == CaptureState.PREVIEW
        break
    assert cam.state == CaptureState.IDLE
    with pytest.raises(RuntimeError):
        for frame in cam.stream():
            raise RuntimeError("stop")
    assert cam.state == CaptureState.IDLE
    with cam.stream() as frames:
        next(frames)
    assert cam.state == CaptureState.IDLE
    assert list(cam.stream(count=0)) == []
    counts = cam.counts
    assert counts.delivered + counts.dropped + counts.failed == sim.frames_sent()


def test_closing_the_camera_from_another_thread_ends_its_stream(cam, sim):
    sim.set_fps(0.5)  # a wait for the next frame is under way when the camera closes
    closer = threading.Timer(0.3, cam.close)
    closer.start()
    started = time.monotonic()
    with pytest.raises(pixora.CameraClosedError):
        for _ in cam.stream(timeout=None):
            pass
    assert time.monotonic() - started < 3
    closer.join()
    assert sim.status().open_handles == 0


def test_a_camera_that_vanishes_ends_the_stream_with_an_error(cam, sim):
    sim.set_fps(100)
    sim.set_fault(pixora.Fault.VANISH, 5)
    with pytest.raises(pixora.PixoraError) as failed:
        for _ in cam.stream():
            pass
    assert failed.value.code == ErrorCode.STREAM_FAILED
    assert "stream failed" in str(failed.value)
    assert "free-running stream stopped" in str(failed.value)
    assert cam.state == CaptureState.IDLE


def test_a_stream_without_frames_times_out(cam, sim):
    # Five seconds a frame, and transfers that wait that long (up to the driver's 3 s).
    sim.configure("maxwait=0 fps=0.2")
    frames = cam.stream(timeout=0.5)
    next(frames)  # the first frame comes at once
    started = time.monotonic()
    with pytest.raises(pixora.StreamTimeoutError, match="no frame came within 0.5 s") as late:
        next(frames)
    assert isinstance(late.value, TimeoutError) and "free-running" in str(late.value)
    assert 0.4 < time.monotonic() - started < 3
    assert cam.state == CaptureState.IDLE


def test_trigger_mode_gives_a_frame_per_pulse(cam, sim):
    pulses = threading.Event()

    def pulse():
        while not pulses.wait(0.1):
            sim.trigger()

    threading.Thread(target=pulse, daemon=True).start()
    try:
        frames = [frame.copy() for frame in cam.stream(count=3, trigger=True, timeout=None)]
    finally:
        pulses.set()
    assert len(frames) == 3
    assert cam.state == CaptureState.IDLE
    assert [f.sequence for f in frames] == sorted({f.sequence for f in frames})
    assert frames[0].image[300, 85].tolist() == pytest.approx([200, 200, 200], abs=30)


def test_stream_arguments_are_checked_when_it_is_made(cam):
    for bits, count in ((12, None), (24, -1)):
        with pytest.raises(pixora.PixoraError) as refused:
            cam.stream(bits=bits, count=count)
        assert refused.value.code == ErrorCode.BAD_ARGUMENT
    assert cam.state == CaptureState.IDLE
