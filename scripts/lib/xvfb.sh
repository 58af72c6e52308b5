# Sourced by the scripts that need a display: starts Xvfb on a free display number (Xvfb
# picks it and reports it), so that several runs on one machine never share a display.
# Usage: start_xvfb SCRATCH_DIR; sets DISPLAY and xvfb_pid, fails when Xvfb does not start.
start_xvfb() {
    local scratch=$1
    exec 3> "$scratch/display"
    Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp -noreset > "$scratch/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
    [ -s "$scratch/display" ] || { cat "$scratch/xvfb.log"; return 1; }
    export DISPLAY=":$(head -n1 "$scratch/display")"
    for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
}
