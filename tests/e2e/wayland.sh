#!/usr/bin/env bash
# The built program started as a Wayland session starts it, with an X display
# beside the compositor (XWayland): a headless weston and an Xvfb, both
# WAYLAND_DISPLAY and DISPLAY set, no platform chosen. The pages must go to the
# X display, where each page move puts the next page at the place of the one before.
# Usage: scripts/on-xvfb bash tests/e2e/wayland.sh <sorvex>
set -euo pipefail
# shellcheck source=SCRIPTDIR/drive.sh
. "$(dirname "$0")/drive.sh"

sorvex=$1
drive_begin 60
command -v weston >/dev/null || drive_fail "weston is missing (scripts/packages.sh TEST_PACKAGES)"
compgen -G '/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so' >/dev/null ||
    drive_fail "Qt's Wayland platform is missing (scripts/packages.sh: qt6-wayland): Qt would not even try Wayland"

weston_pid=""
drive_on_end() { [ -z "$weston_pid" ] || { kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null; } || true; }

drive_step "starting a headless weston"
mkdir -p -m 700 "$DRIVE_TMP/runtime"
socket=sorvex-wayland-$$
XDG_RUNTIME_DIR="$DRIVE_TMP/runtime" weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
    >"$DRIVE_TMP/weston.log" 2>&1 &
weston_pid=$!
weston_ready() { kill -0 "$weston_pid" 2>/dev/null || drive_fail "weston ended: $(cat "$DRIVE_TMP/weston.log")"; [ -S "$DRIVE_TMP/runtime/$socket" ]; }
drive_poll 10 weston_ready || drive_fail "weston did not open its socket"

DRIVE_ENV=(-u QT_QPA_PLATFORM WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland)
drive_start_sorvex "$sorvex"
[ "$(drive_position)" = 192,107 ] || drive_fail "the welcome page is at $(drive_position), not at 192,107"

for round in 1 2; do
    drive_step "\"Далее >\" and \"< Назад\" between the welcome and file pages on the X display, round $round"
    drive_next_page "${DRIVE_NEXT[@]}"
    drive_next_page "${DRIVE_BACK[@]}"
done
drive_exit
[ "$DRIVE_STATUS" -eq 0 ] || drive_fail "sorvex ended with exit code $DRIVE_STATUS"
echo "PASS: beside a Wayland compositor every page opened on the X display at the place of the one before"
