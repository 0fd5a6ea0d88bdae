#!/usr/bin/env bash
# The command line: --help and --version print and end without a window (no
# display is given), an unknown option ends with the usage and 2, and paths
# start the wizard with them in the file list (start_with_paths checks that).
# Usage: command_line.sh <sorvex> <start_with_paths>
set -euo pipefail
sorvex=$1 starter=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/sorvex-command-line.XXXXXX")
trap 'rm -rf "$work"' EXIT

unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
out=$("$sorvex" --help) || fail "--help ended with $?"
# Qt's own words (the usage line, the headings) in Russian whatever the locale.
for locale in C.UTF-8 en_US.UTF-8; do
  out=$(LC_ALL=$locale LANG=$locale LANGUAGE=en "$sorvex" --help) || fail "--help ended with $?"
  grep -q '^Использование: sorvex \[параметры\] \[путь...\]' <<<"$out" && grep -q '^Параметры:' <<<"$out" ||
    fail "--help in $locale printed: $out"
done
[ "$("$sorvex" --version)" = "sorvex $3" ] || fail "--version printed: $("$sorvex" --version)"
set +e
"$sorvex" --bogus >"$work/out" 2>"$work/err"
status=$?
set -e
[ "$status" -eq 2 ] || fail "an unknown option ended with $status, not 2"
[ ! -s "$work/out" ] && grep -q '^sorvex: Неизвестный параметр «bogus»' "$work/err" &&
  grep -q '^Использование: sorvex' "$work/err" ||
    fail "an unknown option printed: $(cat "$work/out" "$work/err")"

mkdir "$work/folder" "$work/elsewhere"
: >"$work/file"
: >"$work/caf"$'\xe9'
ln -s "$work/elsewhere" "$work/link"
ln -s / "$work/to-root"
cd "$work"
root="корневая папка системы: её уничтожить нельзя"
empty="пустой путь не называет никакого файла"
export SORVEX_EXPECT="1 $work/caf"$'\xe9'"
1 $work/file
0 $work/folder/
1 $work/link
" SORVEX_BOX_TEXT="Не добавлено в список путей: 5.

— нет такого файла или папки: 1
— $empty: 1
— $root: 3

Все пути — в подробностях." SORVEX_BOX_DETAILS="$work/missing — нет такого файла или папки
\"\" — $empty
/ — $root
/usr/.. — $root
$work/to-root — $root
"
QT_QPA_PLATFORM=offscreen "$starter" "$work/folder/" file "$work/link" "$work/caf"$'\xe9' "$work/missing" "" / \
    /usr/.. "$work/to-root" || fail "started with paths, the program ended with $?"

# In a working folder that was removed, a relative path names nothing: it is
# not made into a path from the root.
mkdir "$work/gone"
cd "$work/gone"
rmdir "$work/gone"
export SORVEX_EXPECT="1 $work/file
" SORVEX_BOX_TEXT="Не добавлено в список путей: 2.

— $empty: 1
— относительный путь, а текущую папку не удалось прочитать: 1

Все пути — в подробностях." SORVEX_BOX_DETAILS="etc — относительный путь, а текущую папку не удалось прочитать
\"\" — $empty
"
QT_QPA_PLATFORM=offscreen "$starter" etc "" "$work/file" ||
    fail "started in a removed folder, the program ended with $?"
echo "PASS"
