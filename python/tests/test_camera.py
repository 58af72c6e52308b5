"""A Camera's life (open, close, context manager, calls after close, absent cameras, threads
left behind), its settings as attributes with the library's ranges, saving, and the errors
and codes of failures."""

import gc
import os
import pydoc
import threading

import numpy as np
import pytest

import pixora
from pixora import ErrorCode


def thread_count():
    return len(os.listdir("/proc/self/task"))


def test_cameras_are_listed_by_index_and_name(sim):
    assert pixora.cameras() == [(0, "Pixora530TZ_01")]
    sim.set_cameras([0, 3])
    assert pixora.cameras() == [(0, "Pixora530TZ_01"), (3, "Pixora530TZ_04")]
    sim.set_cameras([])
    assert pixora.cameras() == []


def test_listing_cameras_leaves_an_open_camera_alone(cam):
    # A second handle would program the camera afresh with the stored gain.
    cam.gain = 500
    assert pixora.cameras() == [(0, "Pixora530TZ_01")]
    assert cam.gain == 500


def test_an_absent_camera_raises_at_construction(sim):
    threads = thread_count()
    for device in (5, 9):
        with pytest.raises(pixora.PixoraError) as absent:
            pixora.Camera(device)
        assert absent.value.code == ErrorCode.DEVICE_NOT_FOUND
        assert "no camera" in str(absent.value) or "indexes are 0..7" in str(absent.value)
    sim.set_cameras([])
    with pytest.raises(pixora.PixoraError) as absent:
        pixora.Camera()
    assert absent.value.code == ErrorCode.DEVICE_NOT_FOUND
    # Nothing of the failed sessions is left.
    assert sim.status(0).open_handles == 0
    assert thread_count() == threads
    sim.set_cameras([3])
    with pixora.Camera(3) as cam:
        assert (cam.device, cam.name) == (3, "Pixora530TZ_04")


def test_close_ends_the_session_and_every_later_call_raises(sim):
    with pixora.Camera() as cam:
        assert not cam.closed
        cam.snapshot()
    assert cam.closed and repr(cam) == "<pixora.Camera closed>"
    assert sim.status(0).open_handles == 0
    calls = [
        lambda: cam.snapshot(),
        lambda: cam.stream(),
        lambda: cam.save("a.png"),
        lambda: cam.brightness,
        lambda: setattr(cam, "gain", 10),
        lambda: cam.width,
        lambda: cam.bits,
        lambda: cam.state,
        lambda: cam.counts,
        lambda: cam.info,
        lambda: cam.mirror_v,
        lambda: cam.white_balance_once(),
        lambda: cam.read_register(1),
        lambda: cam.__enter__(),
    ]
    for call in calls:
        with pytest.raises(pixora.CameraClosedError):
            call()
    cam.close()  # a second close does nothing


def test_no_thread_is_left_after_close(sim):
    threads, python_threads = thread_count(), threading.active_count()
    cam = pixora.Camera()
    sim.set_fps(100)
    for _ in cam.stream(count=5):
        pass
    with cam.stream() as frames:
        next(frames)
        assert thread_count() > threads  # the stream's workers
        cam.close()
    assert thread_count() == threads
    assert threading.active_count() == python_threads
    assert sim.status(0).open_handles == 0


def test_a_camera_that_is_dropped_is_released(sim):
    pixora.Camera().snapshot()
    assert sim.status(0).open_handles == 0


FILTER_SETTINGS = [name for name, info in pixora.SETTINGS.items() if info.index is not None]


@pytest.mark.parametrize("name", FILTER_SETTINGS)
def test_settings_take_their_range_and_refuse_the_rest(cam, name):
    low, high = pixora.setting_range(name)
    assert pixora.Camera.range(name) == (low, high)
    if name == "bayer_gain_auto":
        assert (low, high) == (-(2**31), 2**31 - 1)
        setattr(cam, name, 7)
        assert getattr(cam, name) is True  # kept as 1
        return
    if name == "bayer_gain_rgb":
        # The packed gains take every value and keep its three low bytes.
        assert (low, high) == (-(2**31), 2**31 - 1)
        setattr(cam, name, 0x7FC86432)
        assert getattr(cam, name) == 0xC86432
        return
    for value in (low, high):
        setattr(cam, name, value)
        if name == "exposure_time":
            # The camera keeps 8..1068 of what the library accepts.
            assert getattr(cam, name) == min(max(value, 8), 1068)
        else:
            assert getattr(cam, name) == value
    for value in (low - 1, high + 1):
        with pytest.raises(pixora.PixoraError) as refused:
            setattr(cam, name, value)
        assert refused.value.code == ErrorCode.BAD_ARGUMENT
        assert f"outside {low}..{high}" in str(refused.value)
    assert getattr(cam, name) == high


def test_settings_check_their_values_and_change_the_picture(cam):
    with pytest.raises(TypeError):
        cam.brightness = 1.5
    # ctypes would cut 2**32 + 10 to 10 without a word.
    with pytest.raises(pixora.PixoraError) as refused:
        cam.brightness = 2**32 + 10
    assert refused.value.code == ErrorCode.BAD_ARGUMENT
    assert cam.brightness == 0
    ramp = cam.snapshot()[900, 3 * 170 + 85]  # the grey ramp under the bars
    cam.brightness = 50
    assert (cam.snapshot()[900, 3 * 170 + 85] > ramp.astype(int) + 40).all()
    cam.gain = 300
    assert (cam.gain, cam.global_gain) == (300, 300)
    cam.exposure = 500
    assert cam.exposure_time == cam.exposure == 500
    cam.mirror_v = True
    assert cam.mirror_v is True
    cam.auto_iris = pixora.AutoIris.GAIN
    assert cam.auto_iris == pixora.AutoIris.GAIN
    with pytest.raises(pixora.PixoraError) as refused:
        cam.auto_iris = 3
    assert refused.value.code == ErrorCode.BAD_ARGUMENT


def test_white_balance_is_set_measured_once_or_kept_on(cam, sim):
    sim.set_scene(pixora.Scene.GRADIENT)  # gray: every gain measures 100
    cam.white_balance = (300, 50, 200)
    assert cam.white_balance == (300, 50, 200)
    tinted = cam.snapshot()[600, 680]
    assert tinted[0] > tinted[2] > tinted[1]
    gains = cam.white_balance_once()
    assert gains == cam.white_balance
    assert all(abs(gain - 100) <= 5 for gain in gains), gains
    assert cam.auto_white_balance is False
    # During a stream the measurement takes the stream's frames.
    cam.white_balance = (300, 50, 200)
    sim.set_fps(100)
    with cam.stream() as frames:
        next(frames)
        gains = cam.white_balance_once()
        assert all(abs(gain - 100) <= 5 for gain in gains), gains
        # Frames queued before the measurement carry the gains they were made with; the
        # first one made with the measured gains shows the gray scene gray.
        for _ in range(50):
            frame = next(frames)
            if frame.white_balance == gains:
                break
        assert frame.white_balance == gains
    assert np.ptp(frame.image[600, 680].astype(int)) <= 10
    cam.auto_white_balance = True
    assert cam.bayer_gain_auto is True


def test_saving_follows_the_extension(cam, tmp_path):
    with pytest.raises(pixora.PixoraError, match="no image"):
        cam.save(tmp_path / "none.png")  # nothing taken yet
    assert not (tmp_path / "none.png").exists()
    cam.snapshot(24)
    magic = {
        "a.png": b"\x89PNG",
        "a.bmp": b"BM",
        "a.JPG": b"\xff\xd8",
        "a.jpeg": b"\xff\xd8",
        "a.tif": b"II*\x00",
        "a.tiff": b"II*\x00",
    }
    for name, start in magic.items():
        cam.save(tmp_path / name)
        assert (tmp_path / name).read_bytes().startswith(start), name
    cam.save(str(tmp_path / "a.raw"))
    assert (tmp_path / "a.raw").stat().st_size == 1360 * 3 * 1024
    cam.save(tmp_path / "low.jpg", quality=20)
    assert (tmp_path / "low.jpg").stat().st_size < (tmp_path / "a.JPG").stat().st_size
    for bad in (lambda: cam.save(tmp_path / "a.gif"), lambda: cam.save("b.jpg", quality=50)):
        with pytest.raises(pixora.PixoraError) as refused:
            bad()
        assert refused.value.code == ErrorCode.BAD_ARGUMENT


def test_failures_carry_the_code_the_text_and_the_reason(cam, tmp_path):
    cam.snapshot()
    with pytest.raises(pixora.PixoraError) as unwritable:
        cam.save(tmp_path / "missing" / "a.png")
    error = unwritable.value
    assert error.code == ErrorCode.NONE and error.function == "Pixora_SaveImage"
    assert "No such file or directory" in error.detail and error.detail in str(error)
    with pytest.raises(pixora.PixoraError) as no_register:
        cam.read_register(200)
    assert no_register.value.code == ErrorCode.DEVICE_IO
    assert "device I/O failed" in str(no_register.value)
    assert "(error 6)" in str(no_register.value)
    # Refused in the wrong state: the library records no code; the message says why.
    with cam.stream() as frames:
        next(frames)
        with pytest.raises(pixora.PixoraError) as refused:
            cam.snapshot()
        assert refused.value.code == ErrorCode.NONE
        assert "preview state" in str(refused.value)
        with pytest.raises(pixora.PixoraError, match="streams already"):
            next(iter(cam.stream()))
        assert next(frames).image.shape == (1024, 1360, 3)  # the first one goes on
    # An error code left behind by one call is not taken for the next call's.
    with pytest.raises(pixora.PixoraError):
        cam.read_register(200)
    cam.brightness = 10
    assert cam.brightness == 10


def test_help_describes_the_camera_and_its_ranges():
    text = pydoc.render_doc(pixora.Camera, renderer=pydoc.plaintext)
    assert "snapshot(self, bits: int = 24)" in text
    assert "Added to every sample of the picture. Accepts -255..255. Default 0." in text
    assert "Analog gain of the sensor (the same as global_gain). Accepts 0..1023." in text
    assert "The sensor column the capture window starts at. Accepts 0..1356 pixels." in text
    assert "stream(self, bits: int = 24, count: Optional[int] = None" in text


def test_a_misspelt_attribute_raises_instead_of_being_kept(cam):
    with pytest.raises(AttributeError, match="'exposre'; did you mean 'exposure'"):
        cam.exposre = 100
    assert not hasattr(cam, "exposre")
    with pytest.raises(AttributeError):
        cam.state = 1  # read-only
    cam.exposure = 300  # the real ones still work
    assert cam.exposure == 300


def test_settings_are_put_back_at_close_unless_kept(sim):
    with pixora.Camera() as cam:
        stored = (cam.brightness, cam.gain, cam.mirror_v, cam.bits, cam.white_balance)
        cam.brightness, cam.gain, cam.mirror_v = 40, 300, not stored[2]
        cam.white_balance = (300, 50, 200)
        cam.snapshot(8)  # the colour mode too
        cam.brightness = 41  # the first value before the program's is what comes back
    with pixora.Camera() as cam:
        assert (cam.brightness, cam.gain, cam.mirror_v, cam.bits, cam.white_balance) == stored
        cam.white_balance_once()  # measured gains are put back too
    with pixora.Camera(keep_settings=True) as cam:
        assert cam.white_balance == stored[4]
        cam.brightness, cam.gain = 40, 300
    with pixora.Camera() as cam:
        assert (cam.brightness, cam.gain) == (40, 300)
    # A camera left to garbage collection puts them back as well.
    cam = pixora.Camera()
    cam.brightness = -20
    del cam
    gc.collect()
    with pixora.Camera() as cam:
        assert cam.brightness == 40


def test_controls_describe_every_attribute_with_its_range_and_default(cam):
    controls = cam.controls
    assert len(controls) == len(list(controls)) >= 36
    gamma = controls["gamma"]
    assert (gamma.minimum, gamma.maximum, gamma.default, gamma.kind) == (0, 200, 100, "integer")
    assert controls["gain"] is not None and controls["gain"].name == "global-gain"
    assert controls["offset_x"].name == "offset-x"
    assert "window" in controls["width"].flags and controls["width"].unit == "pixels"
    iris = controls["auto-iris"]
    assert iris.kind == "enumeration"
    assert [v.name for v in iris.values] == ["off", "exposure", "gain"]
    with pytest.raises(KeyError):
        controls["exposre"]
    for control in controls.values():
        if "refused" in control.flags:
            assert not hasattr(cam, control.attribute)
            continue
        assert hasattr(type(cam), control.attribute), control.name
        low, high = control.accepted
        assert low <= control.default <= high or control.kind == "boolean"
    # An enumeration takes its value names too.
    cam.gray_mode = controls["gray-mode"].values[2].name
    assert cam.gray_mode == controls["gray-mode"].values[2].value
    with pytest.raises(pixora.PixoraError) as refused:
        cam.gray_mode = "no-such-mode"
    assert refused.value.code == ErrorCode.BAD_ARGUMENT


def test_roi_sets_the_capture_window_and_snapshots_are_its_crop(cam):
    full = cam.snapshot(bits=8)
    assert cam.roi == (0, 0, 1360, 1024)
    cam.roi = (100, 51, 640, 480)
    assert cam.roi == (100, 51, 640, 480)
    assert (cam.width, cam.height, cam.offset_x, cam.offset_y) == (640, 480, 100, 51)
    window = cam.snapshot(bits=8)
    assert window.shape == (480, 640)
    assert np.array_equal(window, full[51 : 51 + 480, 100 : 100 + 640])
    with pytest.raises(pixora.PixoraError) as refused:
        cam.width = 3
    assert refused.value.code == ErrorCode.BAD_ARGUMENT
    assert "outside 4..1360" in str(refused.value)
    cam.roi = (0, 0, 1360, 1024)
    assert cam.snapshot(bits=8).shape == (1024, 1360)


def test_save_chooses_the_format_from_the_library_table(cam, tmp_path):
    cam.snapshot()
    for extension in (".bmp", ".jpeg", ".TIF"):
        cam.save(tmp_path / f"a{extension}")
        assert (tmp_path / f"a{extension}").stat().st_size > 0
    cam.save(tmp_path / "b.jpg", quality=20)
    with pytest.raises(pixora.PixoraError, match="the library writes 100, 70, 20"):
        cam.save(tmp_path / "c.jpg", quality=50)
    with pytest.raises(pixora.PixoraError, match="no format for the extension '.gif'"):
        cam.save(tmp_path / "d.gif")
