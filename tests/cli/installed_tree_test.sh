#!/usr/bin/env bash
# Installs the built tree into a scratch prefix, moves it elsewhere, checks the installed
# documentation, and builds and runs the installed example program against it twice: through
# the CMake package, and with the build command written in the example, through pkg-config.
# Usage: installed_tree_test.sh BUILD_DIR SOURCE_DIR [SANITIZER]
set -euo pipefail
build=$1
source=$2
sanitizer=${3:-}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export PIXORA_REGISTRY="$scratch/registry.reg"
export PIXORA_SIM="cameras=0 fps=30 scene=bars"

flags=""
case "$sanitizer" in
    address) flags="-fsanitize=address,undefined" ;;
    thread) flags="-fsanitize=thread" ;;
esac

fail() { echo "installed tree: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$scratch/staging" > "$scratch/install.log" ||
    { cat "$scratch/install.log"; fail "cmake --install failed"; }
# Both package files must find the tree from where it lies, not from where it was put.
mv "$scratch/staging" "$scratch/prefix"
prefix="$scratch/prefix"

for file in include/PixoraSdk_530TZ.h include/PixoraPlatform.h bin/pixora; do
    [ -f "$prefix/$file" ] || fail "missing $file"
done
library=$(find "$prefix" -name 'libPixoraSdk_530TZ.so' | head -1)
config=$(find "$prefix" -name 'PixoraSdk_530TZConfig.cmake' | head -1)
pc=$(find "$prefix" -name 'PixoraSdk_530TZ.pc' | head -1)
[ -n "$library" ] || fail "missing the shared library"
[ -n "$config" ] || fail "missing the CMake package"
[ -n "$pc" ] || fail "missing the pkg-config file"

# The installed program finds the installed library on its own.
"$prefix/bin/pixora" list > "$scratch/list.txt" || fail "installed pixora list failed"
grep -q Pixora530TZ_01 "$scratch/list.txt" || fail "installed pixora listed no camera"

# The GStreamer plugin, where it was built, loads from the prefix's plugin folder and finds the
# installed library there (not in sanitizer builds: GStreamer's programs lack their runtime).
plugin=$(find "$prefix" -name 'libgstpixora.so' | head -1)
if [ -n "$plugin" ] && [ -z "$sanitizer" ] && command -v gst-inspect-1.0 > /dev/null; then
    [ "$(basename "$(dirname "$plugin")")" = gstreamer-1.0 ] || fail "plugin not in gstreamer-1.0/"
    env -u LD_LIBRARY_PATH GST_REGISTRY="$scratch/gst-registry.bin" \
        GST_PLUGIN_PATH="$(dirname "$plugin")" gst-inspect-1.0 pixorasrc > "$scratch/inspect.txt" ||
        fail "gst-inspect-1.0 does not find pixorasrc in the installed plugin folder"
fi

# The pages and the examples, side by side under share/doc.
docdir="$prefix/share/doc/PixoraSdk_530TZ"
for page in "$source"/docs/*.md; do
    cmp -s "$page" "$docdir/$(basename "$page")" ||
        fail "missing or different page $(basename "$page")"
done
while IFS= read -r file; do
    cmp -s "$source/examples/$file" "$docdir/examples/$file" ||
        fail "missing or different example $file"
done < <(cd "$source/examples" && find . -type f -not -path '*/__pycache__/*')
examples="$docdir/examples"

is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ]; }

# Through find_package(PixoraSdk_530TZ), from the installed examples.
cmake -S "$examples" -B "$scratch/with-cmake" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" > "$scratch/cmake.log" 2>&1 ||
    { cat "$scratch/cmake.log"; fail "configuring the examples with the CMake package failed"; }
cmake --build "$scratch/with-cmake" > "$scratch/build.log" 2>&1 ||
    { cat "$scratch/build.log"; fail "building the examples with the CMake package failed"; }
"$scratch/with-cmake/callback_preview" "$scratch/cmake.png" || fail "example (CMake) failed"
is_png "$scratch/cmake.png" || fail "example (CMake) wrote no PNG file"

# Through pkg-config, with the command the example's comment gives, as written.
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc")
[ "$(pkg-config --modversion PixoraSdk_530TZ)" = "25.5.2" ] || fail "pkg-config version"
command=$(awk '/^ \*   cc / { on = 1 } on { sub(/^ \*  */, ""); print; if (!/\\$/) exit }' \
    "$examples/callback_preview.c")
[ -n "$command" ] || fail "no cc command in the example's comment"
mkdir "$scratch/with-pkg-config"
cp "$examples/callback_preview.c" "$scratch/with-pkg-config/"
# Sanitizer builds: the example takes the library's sanitizer.
# shellcheck disable=SC2086
cc() { command cc $flags "$@"; }
(cd "$scratch/with-pkg-config" && eval "$command") ||
    fail "building the example with its own command failed: $command"
# The program finds the library by its run path alone.
env -u LD_LIBRARY_PATH "$scratch/with-pkg-config/callback_preview" "$scratch/pkgconfig.png" ||
    fail "example (pkg-config) failed"
is_png "$scratch/pkgconfig.png" || fail "example (pkg-config) wrote no PNG file"

echo "installed tree: library, headers, program, docs, CMake package and pkg-config file work"
