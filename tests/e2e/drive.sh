# shellcheck shell=bash
# Sourced by tests/e2e/real_program.sh and scripts/screenshots: starts the
# built Sorvex on the X server of scripts/on-xvfb, which the caller runs
# under, and drives it as a person would, with xdotool mouse clicks and typing
# only. Every failure names the step it happened in. Needs bash with
# `set -euo pipefail` in the caller.

DRIVE_TITLE='^Sorvex : Personal Edition$'
DRIVE_STEP="start-up"
DRIVE_TMP=""
DRIVE_WM_PID=""
DRIVE_PID=""
DRIVE_WATCHDOG=""
DRIVE_BUS_PIDS=() # the session bus of drive_start_session and what listens on it
DRIVE_PAGE="" # window of the page on screen
DRIVE_DIALOG=""
DRIVE_DIALOG_CAPTION="" # the caption of the last dialog answered
DRIVE_X="" DRIVE_Y="" # the page's top-left corner on the screen
# shellcheck disable=SC2034 # read by the callers
DRIVE_STATUS="" # the exit code of the program after drive_exit

# Centres of the controls, relative to a page's client area (508x359).
# shellcheck disable=SC2034 # read by the callers
DRIVE_BACK=(301 339)
DRIVE_NEXT=(377 339)
DRIVE_EXIT=(461 339)
DRIVE_ADD_FILES=(432 76)
DRIVE_ADD_FOLDER=(432 108)
DRIVE_THOROUGH=(60 217)
# shellcheck disable=SC2034 # read by the callers
DRIVE_STOP=(61 205) # on the progress page
# The radio indicators of "Сбалансированный" and "Тщательный", and the
# progress page's "Для продолжения ..." hint, shown once a run is over.
DRIVE_BALANCED_MARK=16x17+24+137
DRIVE_THOROUGH_MARK=16x17+24+209
DRIVE_HINT=300x17+96+273

drive_step() { DRIVE_STEP=$1; echo "-- $1"; }
drive_fail()
{
    echo "FAIL [$DRIVE_STEP]: $*" >&2
    if [ -n "$DRIVE_TMP" ] && [ -s "$DRIVE_TMP/sorvex.log" ]; then
        echo "sorvex said:" >&2
        sed 's/^/  /' "$DRIVE_TMP/sorvex.log" >&2
    fi
    exit 1
}

# Private folder, clean-up on every way out, and a deadline for the whole drive.
drive_begin()
{
    local seconds=$1 tool
    [ -n "${DISPLAY:-}" ] || drive_fail "no X display: run this under scripts/on-xvfb"
    for tool in xdotool xwininfo xprop import identify compare xclip; do
        command -v "$tool" >/dev/null || drive_fail "$tool is missing (scripts/packages.sh TEST_PACKAGES)"
    done
    DRIVE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/sorvex-drive.XXXXXX")
    trap drive_end EXIT
    trap 'drive_fail "interrupted or over the time limit"' INT TERM
    (
        trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
        sleep "$seconds" &
        sleeper=$!
        wait "$sleeper"
        echo "the drive took longer than $seconds s" >&2
        kill -TERM $$
    ) &
    DRIVE_WATCHDOG=$!
}

# A caller may define drive_on_end for clean-up of its own; it runs first.
drive_end()
{
    ! declare -F drive_on_end >/dev/null || drive_on_end || true
    if [ -n "$DRIVE_PID" ] && kill -0 "$DRIVE_PID" 2>/dev/null; then
        kill "$DRIVE_PID" 2>/dev/null || true
        wait "$DRIVE_PID" 2>/dev/null || true
    fi
    local pid
    for pid in "${DRIVE_BUS_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$DRIVE_WM_PID" ]; then
        kill "$DRIVE_WM_PID" 2>/dev/null || true
        wait "$DRIVE_WM_PID" 2>/dev/null || true
    fi
    if [ -n "$DRIVE_WATCHDOG" ]; then
        kill "$DRIVE_WATCHDOG" 2>/dev/null || true
        wait "$DRIVE_WATCHDOG" 2>/dev/null || true
    fi
    [ -z "$DRIVE_TMP" ] || rm -rf "$DRIVE_TMP"
}

# Polls a command every 0.1 s until it succeeds; false after the given seconds.
drive_poll()
{
    local tenths=$(($1 * 10))
    shift
    while ! "$@"; do
        tenths=$((tenths - 1))
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
    done
}

# A locale of the C library, made when it is missing and we may (as root).
drive_need_locale()
{
    locale -a 2>/dev/null | grep -qix "${1/UTF-8/utf8}" && return 0
    [ "$(id -u)" -eq 0 ] && command -v localedef >/dev/null ||
        drive_fail "the locale $1 is missing and cannot be made here (package locales, as root)"
    localedef -i "${1%%.*}" -c -f UTF-8 "$1" 2>/dev/null || true
    locale -a 2>/dev/null | grep -qix "${1/UTF-8/utf8}" || drive_fail "localedef could not make $1"
}

# Openbox as the window manager of the display, with its own settings
# folders. Every window gets a frame: a title bar and a border.
drive_start_wm()
{
    drive_step "starting openbox"
    command -v openbox >/dev/null || drive_fail "openbox is missing (scripts/packages.sh TEST_PACKAGES)"
    mkdir -p "$DRIVE_TMP/wm"
    HOME="$DRIVE_TMP/wm" XDG_CONFIG_HOME="$DRIVE_TMP/wm" XDG_CACHE_HOME="$DRIVE_TMP/wm" \
        openbox >"$DRIVE_TMP/openbox.log" 2>&1 &
    DRIVE_WM_PID=$!
    drive_poll 10 drive_wm_ready || drive_fail "openbox did not take over the display"
}

drive_wm_ready()
{
    kill -0 "$DRIVE_WM_PID" 2>/dev/null || drive_fail "openbox has ended: $(cat "$DRIVE_TMP/openbox.log")"
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# The program's surroundings: on the X display alone, and on no session bus
# unless drive_start_session gives it one, unless a caller sets DRIVE_ENV to
# env(1) arguments of its own (a locale, a theme, a Wayland display).
DRIVE_ENV=(-u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=xcb)

# A session bus of the drive's own, with the accessibility bus beside it (the
# pages read through AT-SPI, as a screen reader reads them), and a record in
# DRIVE_TMP/bus.log of the notifications and the progress for docks sent there.
drive_start_session()
{
    drive_step "starting a session bus and the accessibility bus"
    local address
    exec {address}< <(exec dbus-daemon --session --nofork --print-address=1 2>/dev/null)
    DRIVE_BUS_PIDS+=($!)
    read -r -t 10 DBUS_SESSION_BUS_ADDRESS <&"$address" ||
        drive_fail "dbus-daemon did not start (scripts/packages.sh TEST_PACKAGES)"
    exec {address}<&-
    export DBUS_SESSION_BUS_ADDRESS
    DRIVE_ENV+=(DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" QT_ACCESSIBILITY=1
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$DRIVE_TMP/a11y.log" 2>&1 &
    DRIVE_BUS_PIDS+=($!)
    dbus-monitor --session "interface='org.freedesktop.Notifications',member='Notify'" \
        "interface='com.canonical.Unity.LauncherEntry'" >"$DRIVE_TMP/bus.log" 2>&1 &
    DRIVE_BUS_PIDS+=($!)
}

# The page on screen as a screen reader reads it (tests/e2e/screen_reader.py
# says what is checked), after drive_start_session; nothing without it.
drive_read_aloud()
{
    [ ${#DRIVE_BUS_PIDS[@]} -gt 0 ] || return 0
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/screen_reader.py" "$@" ||
        drive_fail "the page does not read as it shows"
}

# The program, with any paths to put in its file list.
drive_start_sorvex()
{
    drive_step "starting $1"
    [ -x "$1" ] || drive_fail "$1 is not a built program"
    mkdir -p -m 700 "$DRIVE_TMP/runtime"
    env "${DRIVE_ENV[@]}" XDG_RUNTIME_DIR="$DRIVE_TMP/runtime" \
        "$@" >"$DRIVE_TMP/sorvex.log" 2>&1 &
    DRIVE_PID=$!
    DRIVE_PAGE=""
    drive_poll 10 drive_find_page "" || drive_fail "the welcome page did not appear"
}

# Sets DRIVE_PAGE when exactly one page is on screen and it is not the given window.
drive_find_page()
{
    kill -0 "$DRIVE_PID" 2>/dev/null || drive_fail "sorvex has ended"
    local windows="" window
    # The boxes share the pages' title; they are dialogs, the pages are not.
    for window in $(xdotool search --onlyvisible --name "$DRIVE_TITLE" 2>/dev/null); do
        xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _DIALOG || windows+="${windows:+ }$window"
    done
    [ -n "$windows" ] && [ "$(wc -w <<<"$windows")" -eq 1 ] && [ "$windows" != "$1" ] || return 1
    DRIVE_PAGE=$windows
}

# "X,Y": where a window's top-left corner is on the screen.
drive_corner()
{
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X:/ { x = $4 }
        /Absolute upper-left Y:/ { y = $4 } END { if (x != "" && y != "") print x "," y; else exit 1 }'
}

# "X,Y": where the outer frame of a window starts: the corner of the window
# a window manager put it in, or its own without one.
drive_frame_corner()
{
    local window=$1 tree parent
    while tree=$(xwininfo -tree -id "$window" 2>/dev/null); do
        parent=$(sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p' <<<"$tree")
        if [ "$parent" = "$(sed -n 's/^ *Root window id: \(0x[0-9a-f]*\).*/\1/p' <<<"$tree")" ]; then
            drive_corner "$window"
            return
        fi
        window=$parent
    done
    return 1
}

# Sets DRIVE_X and DRIVE_Y from the corner of the page's window, the inside of any frame.
drive_origin()
{
    local corner
    corner=$(drive_corner "$DRIVE_PAGE") || drive_fail "the page's window has gone"
    DRIVE_X=${corner%,*}
    DRIVE_Y=${corner#*,}
}

# Clicks at a point of the page on screen, relative to its window.
drive_click()
{
    drive_origin
    local x=$((DRIVE_X + $1)) y=$((DRIVE_Y + $2))
    # "mousemove --sync" waits for a motion, none when the pointer is there already.
    if [ "$(xdotool getmouselocation --shell | sed -n 's/^[XY]=//p' | paste -sd,)" = "$x,$y" ]; then
        xdotool click 1
    else
        xdotool mousemove --sync "$x" "$y" click 1
    fi
}

drive_position() { drive_origin && echo "$DRIVE_X,$DRIVE_Y"; }

# Clicks a button that leaves the page, waits for the next one, and checks
# that it took the place of the one before.
drive_next_page()
{
    local from=$DRIVE_PAGE where
    where=$(drive_position)
    drive_click "$1" "$2"
    drive_poll 10 drive_find_page "$from" || drive_fail "no new page after the click at $1,$2"
    [ "$(drive_position)" = "$where" ] || drive_fail "the page moved from $where to $(drive_position)"
}

# Waits until the page has been painted and no longer changes.
drive_settle()
{
    import -window "$DRIVE_PAGE" "$DRIVE_TMP/settle-a.png"
    drive_poll 5 drive_unchanged || drive_fail "the page keeps changing"
}

drive_unchanged()
{
    sleep 0.1
    import -window "$DRIVE_PAGE" "$DRIVE_TMP/settle-b.png"
    if compare -metric AE "$DRIVE_TMP/settle-a.png" "$DRIVE_TMP/settle-b.png" null: 2>/dev/null; then
        return 0
    fi
    mv "$DRIVE_TMP/settle-b.png" "$DRIVE_TMP/settle-a.png"
    return 1
}

# A PNG of the page on screen alone, with the pointer out of the way.
drive_shoot()
{
    xdotool mousemove --sync 0 0
    drive_settle
    # Without time stamps: the same screen makes the same file.
    import -window "$DRIVE_PAGE" -strip -define png:exclude-chunk=date,time "$1" ||
        drive_fail "cannot save $1"
}

# Part of the page as a PNG, for comparing pieces of two screens.
drive_part() { import -window "$DRIVE_PAGE" -crop "$1" +repage "$2"; }
drive_colours() { drive_part "$1" "$DRIVE_TMP/part.png" && identify -format '%k' "$DRIVE_TMP/part.png"; }

# The focused window captioned exactly $1, other than the page: its window in DRIVE_DIALOG.
drive_find_box()
{
    local window
    for window in $(xdotool search --onlyvisible --name "^$1" 2>/dev/null); do
        [ "$window" != "$DRIVE_PAGE" ] && [ "$(xdotool getwindowname "$window")" = "$1" ] &&
            [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && DRIVE_DIALOG=$window && return 0
    done
    return 1
}

drive_box_gone() { ! xwininfo -id "$DRIVE_DIALOG" 2>/dev/null | grep -q 'IsViewable'; }

drive_find_dialog()
{
    DRIVE_DIALOG=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || return 1
    [ -n "$DRIVE_DIALOG" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$DRIVE_DIALOG" ]
}

drive_dialog_gone() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# Opens a dialog of the file selection page with a click, types text into its
# focused line edit, makes sure the line edit holds exactly that text (a path
# lost on the way must never become "/"), and confirms it with Return.
drive_dialog_answer()
{
    local title=$1 x=$2 y=$3 text=$4
    if LC_ALL=C grep -q '[^ -~]' <<<"$text"; then
        drive_fail "only plain ASCII can be typed reliably: $text"
    fi
    drive_click "$x" "$y"
    drive_poll 10 drive_find_dialog "$title" || drive_fail "no focused dialog \"$title\" after the click"
    # shellcheck disable=SC2034 # read by the callers
    DRIVE_DIALOG_CAPTION=$(xdotool getwindowname "$DRIVE_DIALOG")
    local attempt
    for attempt in 1 2 3; do
        # From the second attempt on, typed over what the dialog made of the last one.
        xdotool type --delay 8 "$text"
        xdotool key ctrl+a # selects the line edit's text: the primary selection then holds it
        drive_poll 3 drive_primary_is "$text" && break
        [ "$attempt" -lt 3 ] ||
            { xdotool key Escape Escape; drive_fail "the dialog's line edit holds \"$(drive_primary)\", not \"$text\""; }
    done
    xdotool key Return
    if ! drive_poll 2 drive_dialog_gone "$title"; then
        # A completion list may have taken the first Return. Another one only
        # while the dialog still has the focus: on the page it would press the
        # focused button and open the dialog again.
        [ "$(xdotool getwindowfocus 2>/dev/null)" != "$DRIVE_DIALOG" ] || xdotool key Return
        drive_poll 3 drive_dialog_gone "$title" || drive_fail "\"$title\" did not accept \"$text\""
    fi
}

drive_primary() { timeout 2 xclip -o -selection primary 2>/dev/null || true; }
drive_primary_is() { [ "$(drive_primary)" = "$1" ]; }

# The whole wizard up to a finished run: the welcome page, the folder and the
# files chosen through the real dialogs, "Тщательный", the run. Saves
# welcome.png, files.png, method.png and progress.png into shots.
drive_walk()
{
    local shots=$1 folder=$2 quoted="" file
    shift 2
    for file in "$@"; do quoted+="${quoted:+ }\"$file\""; done

    drive_step "welcome page"
    drive_shoot "$shots/welcome.png"
    drive_read_aloud "Добро пожаловать в Sorvex - одну из лучших программ для удаления данных, без возможности их восстановления."
    drive_next_page "${DRIVE_NEXT[@]}"

    drive_step "file selection page: adding $folder through \"Добавить папку\""
    drive_dialog_answer '^Выберите папку\.' "${DRIVE_ADD_FOLDER[@]}" "$folder"
    drive_step "file selection page: adding $* through \"Добавить файл(ы)\""
    drive_dialog_answer '^Добавить файл' "${DRIVE_ADD_FILES[@]}" "$quoted"
    drive_shoot "$shots/files.png"
    drive_read_aloud "Выбор файлов для удаления. Выберите те файлы, которые необходимо удалить." \
        "named:Список файлов и папок для уничтожения"
    drive_next_page "${DRIVE_NEXT[@]}"

    drive_step "method page: choosing \"Тщательный\""
    drive_settle
    drive_part "$DRIVE_BALANCED_MARK" "$DRIVE_TMP/checked.png"
    drive_part "$DRIVE_THOROUGH_MARK" "$DRIVE_TMP/unchecked.png"
    compare -metric AE "$DRIVE_TMP/checked.png" "$DRIVE_TMP/unchecked.png" null: 2>/dev/null &&
        drive_fail "cannot tell a checked method from an unchecked one"
    drive_click "${DRIVE_THOROUGH[@]}"
    drive_shoot "$shots/method.png"
    drive_part "$DRIVE_THOROUGH_MARK" "$DRIVE_TMP/now.png"
    compare -metric AE "$DRIVE_TMP/checked.png" "$DRIVE_TMP/now.png" null: 2>/dev/null ||
        drive_fail "\"Тщательный\" does not look checked after the click"
    drive_read_aloud "Выбор способа удаления файлов. Выберите наиболее приемлемый для вас способ" "described:Далее >"

    drive_step "progress page: running"
    drive_next_page "${DRIVE_NEXT[@]}"
    drive_poll 30 drive_finished || drive_fail "the run did not finish within 30 s"
    # A file system that keeps something of what the run destroyed (an ext3 or
    # ext4 journal's copies of names, a flash device) is named in the report
    # box the run ends with: closed as a user closes it.
    if drive_poll 2 drive_find_box "Sorvex : Personal Edition"; then
        xdotool key Return
        drive_poll 3 drive_box_gone || drive_fail "the report box did not close on Return"
    fi
    drive_shoot "$shots/progress.png"
    drive_read_aloud "Удаление файлов. Сейчас идёт процесс удаления файлов." "named:Текущий файл" "value:Все файлы=100"
}

drive_finished() { [ "$(drive_colours "$DRIVE_HINT")" -gt 1 ]; }

drive_ended() { ! kill -0 "$DRIVE_PID" 2>/dev/null; }

# "Выход" on the page on screen; sets DRIVE_STATUS to the program's exit code.
# shellcheck disable=SC2034 # DRIVE_STATUS is read by the callers
drive_exit()
{
    drive_step "leaving with \"Выход\""
    drive_click "${DRIVE_EXIT[@]}"
    drive_poll 10 drive_ended || drive_fail "sorvex did not end after \"Выход\""
    DRIVE_STATUS=0
    wait "$DRIVE_PID" || DRIVE_STATUS=$?
    DRIVE_PID=""
}
