#!/usr/bin/env bash
# The session ending under a run: SIGTERM (a logout), then SIGHUP (a closed
# terminal), each sent twice to the built program in the first pass of a large
# file with "Тщательный", are answered as "Выход": within 2 s that file is gone
# and the program has ended with 0, the file after it untouched. SIGINT on the
# welcome page ends it at once.
# Usage: scripts/on-xvfb bash tests/e2e/end_signals.sh <sorvex>
set -euo pipefail
# shellcheck source=SCRIPTDIR/drive.sh
. "$(dirname "$0")/drive.sh"
drive_begin 80
sorvex=$1 work=$DRIVE_TMP
overwritten() { [ "$(head -c 1 "$work/a-large")" = 0 ]; }
gone() { [ ! -e "$work/a-large" ] && drive_ended; }
drive_signal() # signal, what must hold within 2 s
{
    kill -"$1" "$DRIVE_PID" && sleep 0.01 && kill -"$1" "$DRIVE_PID" 2>/dev/null || true
    drive_poll 2 "$2" || drive_fail "2 s after SIG$1: $(ls "$work"), sorvex $(drive_ended && echo ended || echo runs)"
    wait "$DRIVE_PID" || drive_fail "sorvex ended with $? after SIG$1"
    DRIVE_PID=""
}

for signal in TERM HUP; do
    head -c 512M /dev/zero >"$work/a-large"
    sync "$work/a-large" # on the disk already, as a kept file is: the stop flushes only what it wrote
    echo later >"$work/b-later"
    drive_start_sorvex "$sorvex" "$work/a-large" "$work/b-later"
    drive_next_page "${DRIVE_NEXT[@]}"
    drive_next_page "${DRIVE_NEXT[@]}"
    drive_click "${DRIVE_THOROUGH[@]}"
    drive_next_page "${DRIVE_NEXT[@]}"
    drive_step "SIG$signal in the first pass of a-large"
    drive_poll 20 overwritten || drive_fail "the run did not begin on a-large"
    drive_signal "$signal" gone
    [ "$(cat "$work/b-later")" = later ] || drive_fail "b-later was touched"
done
drive_start_sorvex "$sorvex"
drive_step "SIGINT on the welcome page"
drive_signal INT drive_ended
echo PASS
