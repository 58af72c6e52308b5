#!/usr/bin/env bash
# Runs every code block of one Markdown page, in order, in one shell, as a reader following
# the page in one terminal would: a scratch folder that looks like the source tree (its
# `build` is the build under test), HOME in the scratch folder, `pixora` on the PATH, the
# virtual camera and a settings file of its own. How a block runs is its language's default
# (c: a whole program; sh: shell commands) or the doc-test marker before it; block_kinds.sh
# describes the kinds.
# Usage: run_page.sh PAGE SOURCE_DIR BUILD_DIR PIXORA CC LIBRARY_DIR [SANITIZER]
# PAGE is relative to SOURCE_DIR. Status 77 (ctest: skipped) when a block needs a display
# and neither DISPLAY nor Xvfb is at hand.
set -euo pipefail
page=$1
source=$(cd "$2" && pwd)
build=$(cd "$3" && pwd)
pixora=$(realpath "$4")
cc=$5
libdir=$6
sanitizer=${7:-}
here=$(cd "$(dirname "$0")" && pwd)

scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/blocks" "$scratch/work" "$scratch/home" "$scratch/bin"
awk -v out="$scratch/blocks" -f "$here/extract_blocks.awk" "$source/$page"

# The page as one script: each block, or the call that runs it, after a line naming it.
script="$scratch/page.sh"
needs_display=0
blocks=0
{
    printf '. %q\n' "$here/block_kinds.sh"
    while IFS=$'\t' read -r number line language marker; do
        block="$scratch/blocks/$number"
        if [ -z "$marker" ]; then
            case "$language" in
                c) marker=c ;;
                python) marker=python ;;
                sh | bash | shell) marker="sh" ;;
                *)
                    echo "$page:$line: a block in '$language' needs a doc-test marker" >&2
                    exit 1
                    ;;
            esac
        fi
        kind=${marker%% *}
        options=${marker#"$kind"}
        [[ " $options " == *" display "* ]] && needs_display=1
        printf 'doc_block %q %q\n' "$page:$line" "$kind"
        case "$kind" in
            sh)
                if [[ " $options " == *" python "* && -n "$sanitizer" ]]; then
                    echo "echo 'not run: python3 cannot load a sanitizer build of the library'"
                else
                    echo "doc_sh_options $options"
                    cat "$block"
                    echo "doc_sh_options"
                fi
                ;;
            c | cmake | python)
                printf 'doc_%s %q %q %q %s\n' "$kind" "$block" "$page" "$line" "$options"
                ;;
            output)
                [[ "$options" == " of "* ]] || {
                    echo "$page:$line: write the command as 'output of COMMAND'" >&2
                    exit 1
                }
                printf 'doc_output %q %s\n' "$block" "${options# of }"
                ;;
            tree) printf 'doc_tree %q\n' "$block" ;;
            skip) printf 'doc_skip %q %q\n' "$block" "${options# }" ;;
            *)
                echo "$page:$line: unknown doc-test kind '$kind'" >&2
                exit 1
                ;;
        esac
        blocks=$((blocks + 1))
    done < "$scratch/blocks/manifest"
    echo "doc_done $blocks"
} > "$script"

if [ "$needs_display" -eq 1 ] && [ -z "${DISPLAY:-}" ]; then
    command -v Xvfb > /dev/null || { echo "no display and no Xvfb: $page not run"; exit 77; }
    # shellcheck source=SCRIPTDIR/../../scripts/lib/xvfb.sh
    . "$source/scripts/lib/xvfb.sh"
    start_xvfb "$scratch"
fi

# The source tree as the page sees it, with the build under test as `build`.
for entry in "$source"/*; do
    name=$(basename "$entry")
    [[ "$name" == build* ]] || ln -s "$entry" "$scratch/work/$name"
done
ln -s "$build" "$scratch/work/build"
ln -s "$pixora" "$scratch/bin/pixora"
# python3 on the page is the interpreter with numpy, whatever else comes first on the PATH.
[ -n "${DOC_PYTHON:-}" ] && ln -s "$DOC_PYTHON" "$scratch/bin/python3"

case "$sanitizer" in
    address) flags="-fsanitize=address,undefined" ;;
    thread) flags="-fsanitize=thread" ;;
    *) flags="" ;;
esac

cd "$scratch/work"
env -u XDG_CONFIG_HOME HOME="$scratch/home" PATH="$scratch/bin:$PATH" \
    PIXORA_REGISTRY="$scratch/registry.reg" PIXORA_SIM="fps=30" \
    PYTHONPYCACHEPREFIX="$scratch/pycache" \
    DOC_SOURCE="$source" DOC_SCRATCH="$scratch" DOC_HARNESS="$here/harness" DOC_CC="$cc" \
    DOC_LIBDIR="$libdir" DOC_PIXORA="$pixora" DOC_SANITIZE_FLAGS="$flags" \
    bash "$script"
