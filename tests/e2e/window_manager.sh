#!/usr/bin/env bash
# The built program driven on an X server of its own, with openbox as its
# window manager or with none: where the pages' outer frames stand through a
# walk back and forth over every page, and the exact captions of the boxes
# and dialogs.
# Usage: scripts/on-xvfb bash tests/e2e/window_manager.sh <sorvex> openbox|none
set -euo pipefail
# shellcheck source=SCRIPTDIR/drive.sh
. "$(dirname "$0")/drive.sh"

sorvex=$1 manager=$2
case $manager in openbox | none) ;; *) drive_fail "no such window manager: $manager" ;; esac
drive_begin 80
place=192,107 # the welcome page's design position; every page move keeps it

# Frames appear and move a moment after the page does: the frame must come to
# the place within three seconds and stay there.
drive_frame_at() { [ "$(drive_frame_corner "$DRIVE_PAGE")" = "$1" ]; }
drive_expect_frame()
{
    drive_poll 3 drive_frame_at "$place" ||
        drive_fail "the page's frame is at $(drive_frame_corner "$DRIVE_PAGE"), not at $place"
    sleep 0.3
    drive_frame_at "$place" || drive_fail "the page's frame went on to $(drive_frame_corner "$DRIVE_PAGE")"
}

# Clicks a button that leaves the page and checks where the next page's frame is.
drive_frame_follows()
{
    local from=$DRIVE_PAGE
    drive_click "$1" "$2"
    drive_poll 10 drive_find_page "$from" || drive_fail "no new page after the click at $1,$2"
    drive_expect_frame
}

# Waits for a box captioned exactly $1 and closes it with Return.
drive_close_box()
{
    drive_poll 10 drive_find_box "$1" || {
        drive_fail "no focused box captioned exactly \"$1\"; captions shown:" \
            "$(for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
                printf '"%s" ' "$(xdotool getwindowname "$w")"; done)"
    }
    xdotool key Return
    drive_poll 3 drive_box_gone || drive_fail "the box \"$1\" did not close on Return"
}

drive_expect_caption()
{
    [ "$DRIVE_DIALOG_CAPTION" = "$1" ] || drive_fail "the dialog is captioned \"$DRIVE_DIALOG_CAPTION\", not \"$1\""
}

# The decorations a page asks for in its Motif hints, as a number; none when it names none.
drive_decorations()
{
    local hints
    hints=$(xprop -id "$DRIVE_PAGE" _MOTIF_WM_HINTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    IFS=, read -r flags _ decorations _ <<<"$hints"
    [ -n "$flags" ] && (( flags & 2 )) && echo $((decorations)) || echo none
}

# The fixed pages: a border and a title (2 | 8), and no minimise (32) or maximise (64) button.
drive_expect_title_only()
{
    [ "$(drive_decorations)" = 10 ] ||
        drive_fail "the page asks for decorations $(drive_decorations), not a border and a title alone (10)"
}

work=$DRIVE_TMP/work
mkdir -p "$work/folder"
printf 'wiped before the missing file is met\n' >"$work/folder/inside.txt"
printf 'gone before the run\n' >"$work/gone.txt"

[ "$manager" = none ] || drive_start_wm
drive_start_sorvex "$sorvex"

drive_step "welcome page at its design position"
drive_expect_frame
if [ "$manager" = openbox ] && [ "$(drive_frame_corner "$DRIVE_PAGE")" = "$(drive_corner "$DRIVE_PAGE")" ]; then
    drive_fail "openbox has put no frame around the page"
fi

drive_expect_title_only

for round in 1 2 3; do
    drive_step "\"Далее >\" and \"< Назад\" between the welcome and file pages, round $round"
    drive_frame_follows "${DRIVE_NEXT[@]}"
    drive_frame_follows "${DRIVE_BACK[@]}"
done
drive_frame_follows "${DRIVE_NEXT[@]}"
drive_expect_title_only

drive_step "file selection page: \"Далее >\" with an empty list"
drive_click "${DRIVE_NEXT[@]}"
drive_close_box "ВНИМАНИЕ!"

drive_step "file selection page: the two dialogs"
drive_dialog_answer '^Добавить файл' "${DRIVE_ADD_FILES[@]}" "$work/gone.txt"
drive_expect_caption "Добавить файл(ы)"
drive_dialog_answer '^Выберите папку\.' "${DRIVE_ADD_FOLDER[@]}" "$work/folder"
drive_expect_caption "Выберите папку."

for round in 1 2; do
    drive_step "\"Далее >\" and \"< Назад\" between the file and method pages, round $round"
    drive_frame_follows "${DRIVE_NEXT[@]}"
    drive_frame_follows "${DRIVE_BACK[@]}"
done

drive_step "progress page: a run that meets a listed file deleted meanwhile"
drive_frame_follows "${DRIVE_NEXT[@]}"
drive_expect_title_only # the method page
rm "$work/gone.txt"
from=$DRIVE_PAGE
drive_click "${DRIVE_NEXT[@]}"
drive_close_box "Sorvex : Personal Edition" # the report naming the file and why, captioned as the pages are
drive_close_box "Sorvex : Personal Edition" # then the error box
drive_poll 10 drive_find_page "$from" || drive_fail "no progress page after the error box"
drive_expect_frame
decorations=$(drive_decorations)
[ "$decorations" = none ] || { (( decorations & 1 || (decorations & 96) == 96 )); } ||
    drive_fail "the progress page asks for decorations $decorations: not its full set of buttons"

drive_step "progress page: \"Стоп\", then \"Далее >\" back to the file selection page"
drive_click "${DRIVE_STOP[@]}"
drive_frame_follows "${DRIVE_NEXT[@]}"

drive_exit
[ "$DRIVE_STATUS" -eq 0 ] || drive_fail "sorvex ended with exit code $DRIVE_STATUS"
echo "PASS ($manager): every page's frame at $place through the walk; every caption exact"
