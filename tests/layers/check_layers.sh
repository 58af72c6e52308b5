#!/usr/bin/env bash
# The layers of src/ run one way. Every `#include "FOLDER/..."` of a file in src/ must name
# its own folder or a folder of a lower layer:
#   platform < image, driver < settings < device, imaging, simulator < preview, dialogs
#   < session < api
# Folders of one layer are independent of each other. Operating-system and toolkit headers
# (X11, FLTK, POSIX, Win32) appear only in platform/, simulator/, the dialog hosts
# (dialogs/host/) and linux/ or win32/ folders; everything else reaches the system through
# those. Prints every include that breaks a rule and fails when there is one.
# Usage: check_layers.sh SRC_DIR
set -euo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}
cd "$src"

mapfile -t files < <(find . -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) |
    sed 's|^\./||' | sort)
awk '
BEGIN {
    split("platform:0 image:1 driver:1 settings:2 device:3 imaging:3 simulator:3 preview:4 " \
          "dialogs:4 session:5 api:6", pairs, " ")
    for (i in pairs) {
        split(pairs[i], p, ":")
        rank[p[1]] = p[2]
    }
    system_headers = "^(X11/|FL/|pthread\\.h|unistd\\.h|sys/|dlfcn\\.h|signal\\.h|fcntl\\.h|" \
                     "poll\\.h|termios\\.h|semaphore\\.h|windows\\.h|winbase\\.h|winioctl\\.h|" \
                     "commctrl\\.h|wincodec\\.h|objidl\\.h|ocidl\\.h|oleauto\\.h|mmsystem\\.h|" \
                     "io\\.h|shlobj\\.h)"
    bad = 0
    checked = 0
}
FNR == 1 {
    folder = FILENAME
    sub(/\/.*/, "", folder)
    system_allowed = folder == "platform" || folder == "simulator" ||
                     FILENAME ~ /^dialogs\/host\// || FILENAME ~ /(^|\/)(linux|win32)\//
    if (FILENAME ~ /\// && !(folder in rank)) {
        printf "%s: the folder %s/ has no place in the layers (add it to %s)\n",
               FILENAME, folder, "tests/layers/check_layers.sh"
        bad++
    }
}
/^[ \t]*#[ \t]*include[ \t]*"/ {
    target = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*"/, "", target)
    sub(/".*/, "", target)
    if (target ~ /^\.\.?\//) {
        printf "%s:%d: a relative include (%s) goes round the layer check\n", FILENAME, FNR, target
        bad++
        next
    }
    if (target !~ /\//)
        next
    to = target
    sub(/\/.*/, "", to)
    if (!(to in rank) || !(folder in rank))
        next
    checked++
    if (to == folder)
        next
    if (rank[to] > rank[folder]) {
        printf "%s:%d: %s/ includes %s, a higher layer\n", FILENAME, FNR, folder, target
        bad++
    } else if (rank[to] == rank[folder]) {
        printf "%s:%d: %s/ includes %s, a folder of its own layer\n", FILENAME, FNR, folder, target
        bad++
    }
}
/^[ \t]*#[ \t]*include[ \t]*</ && !system_allowed {
    header = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*</, "", header)
    sub(/>.*/, "", header)
    if (header ~ system_headers) {
        printf "%s:%d: <%s> belongs in platform/, a dialog host or a linux/ or win32/ folder\n",
               FILENAME, FNR, header
        bad++
    }
}
END {
    printf "layers: %d includes between src/ folders read, %d rule%s broken\n", checked, bad,
           bad == 1 ? "" : "s"
    exit bad > 0
}' "${files[@]}"
