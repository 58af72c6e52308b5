#!/usr/bin/env bash
# A control added to the library's table reaches the front ends with no edit of theirs: the
# pixora program, the Python package and the pixorasrc element, each run against the test
# build of the library whose table has one row more (test-level, alias test-alias, -5..50,
# neutral 7, unit "levels").
# Usage: front_ends.sh LIBRARY_DIR PIXORA PYTHON PYTHON_SOURCE [GST_INSPECT PLUGIN_DIR]
set -uo pipefail
libdir=$1 pixora=$2 python=$3 pysource=$4 inspect=${5:-} plugins=${6:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export PIXORA_REGISTRY=$scratch/registry.reg PIXORA_SIM="cameras=0 fps=0"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect() { # expect WHAT TEXT PATTERN: TEXT holds PATTERN (grep -E)
    grep -qE -- "$3" <<<"$2" || { fail "$1: no '$3' in:"; echo "$2"; }
}

# --- pixora -----------------------------------------------------------------------------
run() { LD_LIBRARY_PATH=$libdir "$pixora" "$@" 2>&1; }
expect "pixora get" "$(run get test-level)" '^7$'
expect "pixora set by alias" "$(run set test-alias 50)" '^test-level = 50$'
expect "pixora get after set" "$(run get test-level)" '^50$'
out=$(run set test-level 51); status=$?
[ "$status" -eq 2 ] || fail "pixora set test-level 51: status $status, not 2"
expect "pixora set out of range" "$out" 'from -5 to 50'
expect "pixora set --help" "$(run set --help)" 'test-level +-5\.\.50 .*\(levels\)'
expect "pixora info" "$(run info)" '^test-level +50 +-5\.\.50$'
expect "pixora get listing" "$(run get)" '^test-level +50$'

# --- Python -----------------------------------------------------------------------------
out=$(PYTHONPATH=$pysource PIXORA_LIBRARY=$libdir/libPixoraSdk_530TZ.so "$python" - 2>&1 <<'PY'
import pydoc
import pixora

with pixora.Camera() as cam:
    info = cam.controls["test-level"]
    print("control", info.minimum, info.maximum, info.default, info.unit, info.kind)
    print("alias", cam.controls["test_alias"].name)
    print("value", cam.test_level)
    cam.test_level = -5
    print("set", cam.test_level, cam.test_alias)
    try:
        cam.test_level = 51
    except pixora.PixoraError as error:
        print("refused", error.code)
    print("range", pixora.setting_range("test_level"))
print("doc" if "Accepts -5..50 levels. Default 7." in pydoc.render_doc(pixora.Camera) else "no doc")
PY
)
expect "python controls" "$out" '^control -5 50 7 levels integer$'
expect "python alias" "$out" '^alias test-level$'
expect "python attribute" "$out" '^value 50$'
expect "python set" "$out" '^set -5 -5$'
expect "python range check" "$out" '^refused 9$'
expect "python setting_range" "$out" '^range \(-5, 50\)$'
expect "python help" "$out" '^doc$'

# --- pixorasrc --------------------------------------------------------------------------
if [ -n "$inspect" ]; then
    # The element names a control's property by its first alias when it has one.
    out=$(LD_LIBRARY_PATH=$libdir GST_PLUGIN_PATH=$plugins GST_PLUGIN_SYSTEM_PATH= \
        GST_REGISTRY=$scratch/gst-registry.bin "$inspect" pixorasrc 2>&1)
    expect "element property" "$out" '^  test-alias +: A control only the test build has'
    expect "element range" "$(grep -A 2 '^  test-alias ' <<<"$out")" 'Range: -5 - 50 Default: 7'
fi

[ "$failures" -eq 0 ] && echo "every front end has the table's extra control"
exit $(( failures > 0 ))
