# shellcheck shell=bash
# The kinds of documentation blocks, sourced by the page script that run_page.sh writes. A
# marker <!-- doc-test: KIND OPTIONS --> on the line before a fence chooses the kind:
#   sh [ctrl-c=S] [display] [python]   shell commands, run as they are (set -e: every
#                            command must succeed). ctrl-c=S: a `pixora` still running after
#                            S seconds gets a Ctrl-C (SIGINT) and must end within 5 s with
#                            status 0 or 130. display: the block needs an X display (Xvfb when
#                            none is set). python: it runs python3 on the library, so not in
#                            sanitizer builds.
#   c [harness=NAME]         a C program compiled against the built library with warnings as
#                            errors, then run; with a harness the block is a fragment pasted
#                            into harness/NAME.c at its @block@ line.
#   cmake harness=NAME prefix=DIR   a CMake fragment pasted into harness/NAME/CMakeLists.txt,
#                            configured against the library installed at DIR, built, and its
#                            tests run.
#   python                   a Python program, run with the python3 that has numpy (DOC_PYTHON)
#                            on the package in python/ and the built library, or on what the
#                            page put on PYTHONPATH (an installed package). Not run in
#                            sanitizer builds, whose library a plain python3 cannot load.
#   output of COMMAND        sample output: every line must appear in COMMAND's output, with
#                            any numbers.
#   tree                     a folder listing: every FOLDER/ named must exist in the sources.
#   skip REASON              not run (for example apt-get); programs it names by path, like
#                            scripts/demo, must exist.
# The environment: DOC_SOURCE, DOC_SCRATCH, DOC_HARNESS, DOC_CC, DOC_LIBDIR, DOC_PIXORA,
# DOC_SANITIZE_FLAGS (run_page.sh sets them), DOC_PYTHON (ctest sets it).

set -Ee -o pipefail
doc_where="the start of the page"
trap 'echo "docs: failed: $BASH_COMMAND" >&2' ERR
doc_report() {
    local status=$?
    [ "$status" -eq 0 ] || echo "docs: the block at $doc_where failed (status $status)" >&2
}
trap doc_report EXIT

# Sanitizer builds: programs that use the library are built with the same sanitizer.
if [ -n "$DOC_SANITIZE_FLAGS" ]; then
    export CFLAGS="$DOC_SANITIZE_FLAGS" LDFLAGS="$DOC_SANITIZE_FLAGS"
    # shellcheck disable=SC2086
    cc() { command cc $DOC_SANITIZE_FLAGS "$@"; }
fi

doc_fail() {
    echo "docs: $doc_where: $*" >&2
    return 1
}

doc_block() { # LOCATION KIND
    doc_where=$1
    printf '\n== %s (%s) ==\n' "$1" "$2"
}

doc_done() { # COUNT
    printf '\ndocs: all %d blocks ran\n' "$1"
}

# Pastes the block BLOCK into HARNESS at the line holding @block@; C gets #line directives so
# that the compiler names the page's lines.
doc_paste() { # HARNESS BLOCK OUTPUT [PAGE LINE]
    grep -q '@block@' "$1" || doc_fail "$1 has no @block@ line"
    awk -v block="$2" -v page="${4:-}" -v line="${5:-}" -v harness="$1" '
        /@block@/ {
            if (page != "") printf "#line %d \"%s\"\n", line, page
            while ((getline text < block) > 0) print text
            if (page != "") printf "#line %d \"%s\"\n", FNR + 1, harness
            next
        }
        { print }' "$1" > "$3"
}

doc_c() { # BLOCK PAGE LINE [harness=NAME]
    local block=$1 page=$2 line=$3 harness="" option
    shift 3
    for option in "$@"; do
        case "$option" in
            harness=*) harness=${option#harness=} ;;
            *) doc_fail "unknown option $option" ;;
        esac
    done
    local program
    program="$DOC_SCRATCH/blocks/$(basename "$block")-c"
    if [ -n "$harness" ]; then
        doc_paste "$DOC_HARNESS/$harness.c" "$block" "$program.c" "$page" "$line"
    else
        { printf '#line %d "%s"\n' "$line" "$page"; cat "$block"; } > "$program.c"
    fi
    # shellcheck disable=SC2086
    "$DOC_CC" -std=c99 -Wall -Wextra -Werror -pedantic-errors $DOC_SANITIZE_FLAGS \
        -I"$DOC_SOURCE/include" "$program.c" -o "$program" -L"$DOC_LIBDIR" -lPixoraSdk_530TZ \
        -Wl,-rpath,"$DOC_LIBDIR"
    timeout -k 5 60 "$program"
}

doc_python() { # BLOCK PAGE LINE
    local block=$1 page=$2 line=$3 option
    shift 3
    for option in "$@"; do
        doc_fail "unknown option $option"
    done
    if [ -n "$DOC_SANITIZE_FLAGS" ]; then
        echo "not run: python3 cannot load a sanitizer build of the library"
        return 0
    fi
    [ -n "${DOC_PYTHON:-}" ] || doc_fail "no python3 with numpy (DOC_PYTHON is not set)"
    # Blank lines before the block, so that a traceback's line numbers are the page's.
    local program
    program="$DOC_SCRATCH/blocks/$(basename "$page" .md)-$line.py"
    { printf '%*s' $((line - 1)) '' | tr ' ' '\n'; cat "$block"; } > "$program"
    if [ -n "${PYTHONPATH:-}" ]; then
        timeout -k 5 60 "$DOC_PYTHON" "$program"
    else
        PYTHONPATH="$DOC_SOURCE/python" \
            PIXORA_LIBRARY="${PIXORA_LIBRARY:-$DOC_LIBDIR/libPixoraSdk_530TZ.so}" \
            timeout -k 5 60 "$DOC_PYTHON" "$program"
    fi
}

doc_cmake() { # BLOCK PAGE LINE harness=NAME prefix=DIR
    local block=$1 harness="" prefix="" option
    shift 3
    for option in "$@"; do
        case "$option" in
            harness=*) harness=${option#harness=} ;;
            prefix=*) prefix=${option#prefix=} ;;
            *) doc_fail "unknown option $option" ;;
        esac
    done
    if [ -z "$harness" ] || [ -z "$prefix" ]; then
        doc_fail "cmake blocks need harness= and prefix="
    fi
    local project
    project="$DOC_SCRATCH/blocks/$(basename "$block")-cmake"
    cp -r "$DOC_HARNESS/$harness" "$project"
    doc_paste "$DOC_HARNESS/$harness/CMakeLists.txt" "$block" "$project/CMakeLists.txt"
    cmake -S "$project" -B "$project/build" -DCMAKE_PREFIX_PATH="$prefix" \
        > "$project.log" 2>&1 || { cat "$project.log"; doc_fail "configuring failed"; }
    cmake --build "$project/build" > "$project.log" 2>&1 ||
        { cat "$project.log"; doc_fail "building failed"; }
    ctest --test-dir "$project/build" --output-on-failure --timeout 60
}

# With ctrl-c=S, `pixora` is run as a user who presses Ctrl-C after S seconds would.
doc_sh_options() { # [ctrl-c=S] [display]
    local option
    unset -f pixora
    for option in "$@"; do
        case "$option" in
            ctrl-c=*)
                doc_ctrl_c=${option#ctrl-c=}
                # shellcheck disable=SC2317 # called by the blocks
                pixora() { doc_pixora_ctrl_c "$@"; }
                ;;
            display | python) ;;
            *) doc_fail "unknown option $option" ;;
        esac
    done
}

# A sanitizer build under a loaded ctest may still be opening the camera when the Ctrl-C
# comes (5 s there against 0.5 s in a normal build), and the command ends only once the
# open is done: it gets longer before it counts as hung.
doc_ctrl_c_grace=5
[ -z "$DOC_SANITIZE_FLAGS" ] || doc_ctrl_c_grace=30

doc_pixora_ctrl_c() { # ARGS...
    local started=${EPOCHREALTIME/./} status=0 elapsed
    timeout --preserve-status -s INT -k "$doc_ctrl_c_grace" "$doc_ctrl_c" "$DOC_PIXORA" "$@" ||
        status=$?
    elapsed=$(((${EPOCHREALTIME/./} - started) / 1000))
    if [ "$elapsed" -lt $((doc_ctrl_c * 1000)) ]; then
        return "$status"
    fi
    echo "(Ctrl-C after $doc_ctrl_c s: status $status)"
    case "$status" in
        0 | 130) return 0 ;;
        137) doc_fail "pixora $* was still running $doc_ctrl_c_grace s after Ctrl-C" ;;
        *) return "$status" ;;
    esac
}

# Lines with their numbers as N, for comparing sample output with real output.
doc_shape() {
    sed -E -e 's/[0-9]+([.,:][0-9]+)*/N/g' -e 's/[[:space:]]+$//'
}

doc_output() { # BLOCK COMMAND...
    local block=$1 output="$DOC_SCRATCH/output" sample missing=0
    shift
    "$@" > "$output" 2>&1 || { cat "$output"; doc_fail "$* failed"; }
    while IFS= read -r sample; do
        [ -n "${sample// /}" ] || continue
        if ! doc_shape < "$output" | grep -Fxq -- "$(doc_shape <<< "$sample")"; then
            echo "not in the output of $*: $sample"
            missing=1
        fi
    done < "$block"
    if [ "$missing" -ne 0 ]; then
        echo "--- output of $*:"
        cat "$output"
        doc_fail "the sample output does not match"
    fi
    echo "sample output matches $*"
}

doc_tree() { # BLOCK
    local word found=0
    while read -r word; do
        [[ "$word" =~ ^[A-Za-z0-9_.-]+(/[A-Za-z0-9_.-]+)*/$ ]] || continue
        [ -d "$DOC_SOURCE/$word" ] || doc_fail "no folder $word"
        found=$((found + 1))
    done < <(tr -s '[:space:]' '\n' < "$1")
    [ "$found" -gt 0 ] || doc_fail "a tree block names no folder"
    echo "$found folders exist"
}

doc_skip() { # BLOCK REASON
    local command rest
    [ -n "$2" ] || doc_fail "a skipped block needs a reason"
    while read -r command rest; do
        if [[ "$command" == */* && "$command" != -* ]]; then
            [ -x "$DOC_SOURCE/$command" ] || doc_fail "no program $command"
        fi
    done < "$1"
    echo "not run: $2"
}
