#!/usr/bin/env bash
# The streaming figures side by side in one run, on the virtual camera at the full window:
# transfer end to the application (p50/p99) for the frame queue and the polled callback
# preview at 30 and 200 frames a second; buffers a second, drops and CPU per buffer of
# `pixorasrc ! fakesink`; frames a second and CPU per frame of the Python stream.
# PYTHON names a python3 with numpy (default: python3). Measure on a quiet machine, with a
# Release build:
#   scripts/build build-rel -DCMAKE_BUILD_TYPE=Release && bench/stream_goals.sh build-rel
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(cd "${1:-build-rel}" && pwd)

echo "== the library: frame queue and callback preview =="
"$dir/bench/bench_stream_latency"

if [ -x "$dir/bench/bench_element_stream" ]; then
    echo "== pixorasrc ! fakesink =="
    "$dir/bench/bench_element_stream"
fi

echo "== Python: Camera.stream() at 200 frames a second =="
PIXORA_LIBRARY="$dir/libPixoraSdk_530TZ.so" PYTHONPATH="$root/python" \
    "${PYTHON:-python3}" "$root/bench/python_stream.py" --frames 600
