#!/usr/bin/env bash
# Runs a command on an X server of its own whose clock runs at a fiftieth of
# the real speed. Usage: slow-clock-display.sh CLOCK_LIBRARY COMMAND [ARGS...]
set -uo pipefail
clock="$1"
shift

exec 3< <(LD_PRELOAD="$clock" exec Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
server=$!
if ! read -r -t 30 number <&3; then
    echo "the X server did not start" >&2
    exit 1
fi

DISPLAY=":$number" "$@"
status=$?
kill "$server" 2>/dev/null
exit "$status"
