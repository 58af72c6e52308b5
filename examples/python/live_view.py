#!/usr/bin/env python3
"""Live view of the 530TZ camera in an OpenCV window (cv2.imshow), with each frame's number,
the frames dropped and its age; without OpenCV (python3-opencv) or without a display, or
with --save, the frames are written as PPM files instead.

    python3 live_view.py [--device N] [--seconds S] [--count N] [--save DIR]

q or Esc in the window, closing it, or Ctrl-C ends it. Needs the pixora package: see
docs/python.md (PYTHONPATH, or pip into a venv).
"""

import argparse
import os
import sys

import pixora


def opencv():
    """cv2 when a window can be shown, else None."""
    try:
        import cv2
    except ImportError:
        return None
    if sys.platform != "win32" and not os.environ.get("DISPLAY"):
        return None
    return cv2


def show(frames, cv2, title):
    for frame in frames:
        # The frames are OpenCV's blue, green, red (order="bgr"), in the queue's buffer,
        # which is the loop's to draw on until the frame is released.
        with frame:
            age = frame.age * 1000
            text = f"frame {frame.sequence}  dropped {frame.dropped}  age {age:.0f} ms"
            green = (0, 255, 0)
            cv2.putText(frame.image, text, (20, 50), cv2.FONT_HERSHEY_SIMPLEX, 1.2, green, 2)
            cv2.imshow(title, frame.image)
        key = cv2.waitKey(1) & 0xFF
        if key in (ord("q"), 27) or cv2.getWindowProperty(title, cv2.WND_PROP_VISIBLE) < 1:
            break
    cv2.destroyAllWindows()


def save(frames, folder):
    os.makedirs(folder, exist_ok=True)
    for frame in frames:
        # A binary PPM holds exactly this: rows of red, green, blue bytes.
        height, width, _ = frame.image.shape
        path = os.path.join(folder, f"frame-{frame.sequence:06d}.ppm")
        with open(path, "wb") as file:
            file.write(b"P6 %d %d 255\n" % (width, height))
            file.write(frame.image.tobytes())
        print(f"{path}  dropped {frame.dropped}  age {frame.age * 1000:.0f} ms")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--device", type=int, default=0, help="camera index (0)")
    parser.add_argument("--seconds", type=float, help="stop after this long")
    parser.add_argument("--count", type=int, help="stop after this many frames")
    parser.add_argument("--save", metavar="DIR", help="write the frames into DIR")
    args = parser.parse_args()

    cv2 = None if args.save else opencv()
    count = args.count
    if cv2 is None and count is None and args.seconds is None:
        count = 10  # saving without a limit would fill the disk
    folder = args.save or "frames"
    try:
        with pixora.Camera(args.device) as cam:
            print(f"{cam.name}: {cam.width} x {cam.height}")
            order = "bgr" if cv2 is not None else "rgb"
            with cam.stream(count=count, order=order) as frames:
                limited = limit(frames, args.seconds)
                if cv2 is not None:
                    show(limited, cv2, f"{cam.name} - q to quit")
                else:
                    save(limited, folder)
            print(f"{frames.received} frames, {frames.dropped} dropped")
    except pixora.PixoraError as error:
        sys.exit(f"live_view: {error}")
    except KeyboardInterrupt:
        print("interrupted")


def limit(frames, seconds):
    """The frames until `seconds` have passed since the first (all of them for None)."""
    start = None
    for frame in frames:
        start = frame.timestamp if start is None else start
        if seconds is not None and frame.timestamp - start > seconds:
            return
        yield frame


if __name__ == "__main__":
    main()
