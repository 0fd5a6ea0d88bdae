#!/usr/bin/env bash
# The README's start command, typed as a newcomer types it: builds the
# program and starts it on the X server of scripts/on-xvfb, which this runs
# under. Passes once Sorvex's welcome page is on the screen.
# Usage: scripts/on-xvfb bash tests/e2e/start_command.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no X display: run this under scripts/on-xvfb" >&2; exit 1; }
log=$(mktemp)
env -u WAYLAND_DISPLAY bash scripts/start >"$log" 2>&1 &
start=$!
trap 'kill "$start" 2>/dev/null; wait "$start" 2>/dev/null || true; rm -f "$log"' EXIT

# The build comes first: up to ten minutes on a small machine.
for ((tenths = 6000; tenths > 0; tenths--)); do
    if ! kill -0 "$start" 2>/dev/null; then
        status=0
        wait "$start" || status=$?
        echo "FAIL: bash scripts/start ended with exit code $status before a window was shown:" >&2
        tail -n 20 "$log" | sed 's/^/  /' >&2
        exit 1
    fi
    if xdotool search --onlyvisible --name '^Sorvex : Personal Edition$' >/dev/null 2>&1; then
        echo "PASS: bash scripts/start built Sorvex and showed its welcome page"
        exit 0
    fi
    sleep 0.1
done
echo "FAIL: bash scripts/start showed no window in ten minutes" >&2
exit 1
