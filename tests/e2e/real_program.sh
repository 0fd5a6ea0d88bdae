#!/usr/bin/env bash
# The built program driven for real on an X server of its own, by mouse and
# keyboard only: a folder and two files chosen through the real dialogs,
# "Тщательный", a whole run, "Выход", in the given locale. Saves a screenshot
# of every page.
# Usage: scripts/on-xvfb bash tests/e2e/real_program.sh <sorvex> <folder for the screenshots> [locale, C.UTF-8 by default]
set -euo pipefail
# shellcheck source=SCRIPTDIR/drive.sh
. "$(dirname "$0")/drive.sh"

sorvex=$1 shots=$2 locale=${3:-C.UTF-8}
mkdir -p "$shots"
drive_begin 50
drive_need_locale "$locale"
DRIVE_ENV+=(LC_ALL="$locale" LANG="$locale")
started=$SECONDS

# The prepared tree: everything below chosen/ and the two loose files must go;
# every folder stays, and so does outside/, reached only through a link.
work=$DRIVE_TMP/work
mkdir -p "$work/chosen/nested/deeper" "$work/chosen/empty" "$work/loose" "$work/outside"
head -c 70000 /dev/urandom >"$work/chosen/photo.jpg"
printf 'first draft\n' >"$work/chosen/notes.txt"
printf 'key\n' >"$work/chosen/.hidden"
head -c 3000 /dev/urandom >"$work/chosen/nested/data.bin"
printf 'deep\n' >"$work/chosen/nested/deeper/c.txt"
: >"$work/chosen/nested/empty-file"
printf 'one\n' >"$work/loose/one.txt"
head -c 1000 /dev/urandom >"$work/loose/two.dat"
printf 'must stay as it is\n' >"$work/outside/target.txt"
ln -s "$work/outside/target.txt" "$work/chosen/link-to-target"
ln -s "$work/outside" "$work/chosen/nested/link-to-folder"
target_sum=$(sha256sum <"$work/outside/target.txt")
mapfile -t files < <(find "$work/chosen" "$work/loose" ! -type d)
mapfile -t folders < <(find "$work" -type d)

drive_start_session
drive_start_sorvex "$sorvex"
[ "$(drive_position)" = 192,107 ] || drive_fail "the welcome page is at $(drive_position), not at 192,107"
drive_walk "$shots" "$work/chosen" "$work/loose/one.txt" "$work/loose/two.dat"

drive_step "checking the files after the run"
for path in "${files[@]}"; do
    if [ -e "$path" ] || [ -L "$path" ]; then drive_fail "$path is still there"; fi
done
for path in "${folders[@]}"; do
    [ -d "$path" ] || drive_fail "the folder $path has gone"
done
if [ ! -f "$work/outside/target.txt" ] || [ "$(sha256sum <"$work/outside/target.txt")" != "$target_sum" ]; then
    drive_fail "the link's target outside the chosen folder was touched"
fi

# Docks were shown the run's progress, cleared at its end. With no window
# manager to hand the keyboard to each new page, no window of Sorvex was
# active when the run ended: one notification told of it.
drive_step "what the session bus heard of the run"
docked() { grep -A1 '"progress-visible"' "$DRIVE_TMP/bus.log" | grep -o 'boolean [a-z]*' | sed -n "$1"; }
drive_poll 3 eval '[ "$(docked \$p)" = "boolean false" ]' || drive_fail "the dock's progress was not cleared"
[ "$(docked 1p)" = "boolean true" ] || drive_fail "no progress was shown for the dock"
[ "$(grep -c 'member=Notify' "$DRIVE_TMP/bus.log")" = 1 ] && grep -q "string \"Уничтожено файлов: ${#files[@]}\." \
    "$DRIVE_TMP/bus.log" || drive_fail "not one notification of ${#files[@]} files destroyed: $(cat "$DRIVE_TMP/bus.log")"

# Qt's own words in the add-files dialog are Russian: its Open button reads
# "&Открыть", so Alt with the Cyrillic О presses it (with "&Open" it would not).
drive_step "the add-files dialog's buttons in Russian"
printf 'kept\n' >"$work/asked.txt"
drive_next_page "${DRIVE_NEXT[@]}"
drive_click "${DRIVE_ADD_FILES[@]}"
drive_poll 10 drive_find_dialog '^Добавить файл' || drive_fail "no focused add-files dialog after the click"
xdotool type --delay 8 "$work/asked.txt"
import -window "$DRIVE_DIALOG" "$shots/add-files-dialog.png" || true
xdotool key alt+Cyrillic_o
drive_poll 3 drive_dialog_gone '^Добавить файл' || {
    xdotool key Escape
    drive_fail "Alt+О did not press the dialog's Open button: its words are not Qt's Russian ones"
}
drive_settle # the page has its focus back and shows the chosen file before "Выход" is clicked

drive_exit
[ "$DRIVE_STATUS" -eq 0 ] || drive_fail "sorvex ended with exit code $DRIVE_STATUS"
echo "PASS: ${#files[@]} files destroyed, ${#folders[@]} folders kept, in $((SECONDS - started)) s;" \
    "screenshots in $shots"
