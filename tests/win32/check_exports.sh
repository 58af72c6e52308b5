#!/usr/bin/env bash
# The DLL's export table, read with the MinGW objdump, holds exactly the functions the
# public headers declare (Pixora_*, PixoraMsg_*, PixoraSim_*, PixoraEx_*), undecorated, and 114 of them
# are Pixora_*. Usage: check_exports.sh OBJDUMP DLL HEADER...
set -euo pipefail
objdump=$1 dll=$2
shift 2

declared=$(cat "$@" | tr '\n' ' ' |
    grep -oE 'PIXORA_CALL[[:space:]]+Pixora(_|Msg_|Sim_|Ex_)[A-Za-z0-9_]+[[:space:]]*\(' |
    sed -E 's/PIXORA_CALL[[:space:]]+//; s/[[:space:]]*\($//' | sort -u)
# The name pointer table lists "[ordinal] name" lines after its heading.
exported=$("$objdump" -p "$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^[[:space:]]*$/p' |
    sed -nE 's/^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+([^[:space:]]+)$/\1/p' | sort)

status=0
if [ "$(grep -c '^Pixora_' <<< "$declared")" -ne 114 ]; then
    echo "the headers declare $(grep -c '^Pixora_' <<< "$declared") Pixora_* functions, not 114"
    status=1
fi
if [ -z "$exported" ]; then
    echo "no export table in $dll"
    exit 1
fi
missing=$(comm -23 <(echo "$declared") <(echo "$exported"))
extra=$(comm -13 <(echo "$declared") <(echo "$exported"))
[ -n "$missing" ] && { echo "declared but not exported:"; echo "$missing"; status=1; }
[ -n "$extra" ] && { echo "exported but not declared:"; echo "$extra"; status=1; }
if [ "$status" -eq 0 ]; then
    echo "$(wc -l <<< "$exported") exports, $(grep -c '^Pixora_' <<< "$exported") of them Pixora_*"
fi
exit "$status"
