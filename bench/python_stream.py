#!/usr/bin/env python3
"""Python frames a second and CPU per frame of Camera.stream() on the virtual camera at
200 frames a second, 8 and 24 bits (and both channel orders), each frame released at once.

Not a test: it prints what it measured. Run against a build:

    PIXORA_LIBRARY=build/libPixoraSdk_530TZ.so PYTHONPATH=python python3 bench/python_stream.py

"process CPU" is the whole process's (the library's worker processing the frames included),
"Python CPU" the consuming thread's alone: the package's own cost of a frame.
"""

import argparse
import os
import tempfile
import time

os.environ.setdefault("PIXORA_REGISTRY", os.path.join(tempfile.mkdtemp(), "registry.reg"))
os.environ.setdefault("PIXORA_SIM", "cameras=0 scene=bars")

import pixora  # noqa: E402


def measure(cam, bits, order, frames, fps):
    pixora.simulator.set_fps(fps)
    received = dropped = 0
    with cam.stream(bits=bits, order=order, buffers=8, count=frames + 20) as stream:
        for frame in stream:  # the first frames start the camera: not measured
            frame.release()
            if stream.received == 20:
                break
        wall, process, thread = time.monotonic(), time.process_time(), time.thread_time()
        for frame in stream:
            with frame:
                frame.image  # what a consumer touches first
            received += 1
            dropped += frame.dropped
        wall = time.monotonic() - wall
        process = time.process_time() - process
        thread = time.thread_time() - thread
    return received / wall, dropped, process / received * 1e3, thread / received * 1e3


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--frames", type=int, default=1000, help="frames per case (1000)")
    parser.add_argument("--fps", type=float, default=200, help="the camera's rate (200)")
    args = parser.parse_args()
    print(f"camera at {args.fps:g} frames/s, {args.frames} frames per case")
    print(f"{'bits':>4} {'order':>5} {'frames/s':>9} {'dropped':>8} "
          f"{'process CPU ms':>15} {'Python CPU ms':>14}")
    with pixora.Camera() as cam:
        for bits, order in ((8, "rgb"), (24, "rgb"), (24, "bgr")):
            rate, dropped, process, thread = measure(cam, bits, order, args.frames, args.fps)
            print(f"{bits:>4} {order:>5} {rate:>9.1f} {dropped:>8} {process:>15.3f} {thread:>14.3f}")


if __name__ == "__main__":
    main()
