#!/usr/bin/env bash
# Builds the Debian package from a build folder into a private folder, unpacks
# it and checks what it would install: the program, its launcher, every icon,
# and the packages it depends on.
# Usage: check_deb.sh <cpack> <build folder> <source folder> <version>
set -euo pipefail

cpack=$1 build=$2 source=$3 version=$4

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate; do
  command -v "$tool" >/dev/null || fail "$tool is missing (see scripts/packages.sh)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/sorvex-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

# cpack stages and writes everything below -B, so parallel runs do not meet.
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack could not build the package"
fi
shopt -s nullglob
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, cpack made: ${debs[*]:-none}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "sorvex_${version}_${arch}.deb" ] || fail "package file named $(basename "$deb")"

# The control fields.
info=$(dpkg-deb -I "$deb")
echo "$info"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = sorvex ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
[ -n "$depends" ] || fail "dpkg-deb -I lists no Depends"
# Each needed package must be named as a whole package, not as part of another name.
for package in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo libc6 libstdc++6; do
  grep -Eq "(^|, )${package//+/\\+}( \\(|,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

# Everything goes below /usr, nothing below /usr/local.
listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
stray=$(grep -Ev '^\./(usr/)?$|^\./usr/' <<<"$listing" || true)
[ -z "$stray" ] || fail "files outside /usr: $stray"
! grep -q '^\./usr/local' <<<"$listing" || fail "files below /usr/local"

root="$work/root"
dpkg-deb -x "$deb" "$root"

program="$root/usr/bin/sorvex"
[ -f "$program" ] && [ -x "$program" ] || fail "usr/bin/sorvex missing or not executable"
[ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" = '177ELF' ] || fail "usr/bin/sorvex is not a program"

# The icons: each PNG size from the source under its own size, and the SVG.
icons=$(find "$source/resources/icons" -name 'sorvex-*.png' | wc -l)
[ "$icons" -ge 1 ] || fail "no icons in the source"
for png in "$source"/resources/icons/sorvex-*.png; do
  size=$(basename "$png" .png)
  size=${size#sorvex-}
  installed="$root/usr/share/icons/hicolor/${size}x${size}/apps/sorvex.png"
  cmp -s "$png" "$installed" || fail "icon ${size}x${size} missing or different"
done
cmp -s "$source/resources/sorvex.svg" "$root/usr/share/icons/hicolor/scalable/apps/sorvex.svg" ||
  fail "scalable icon missing or different"

# The launcher: valid, and naming the installed program and icon.
desktop="$root/usr/share/applications/sorvex.desktop"
[ -f "$desktop" ] || fail "usr/share/applications/sorvex.desktop missing"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
problems=$(grep -v ': hint: ' <<<"$report" || true)
[ -z "$problems" ] || fail "desktop-file-validate: $problems"
key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Type)" = Application ] || fail "Type=$(key Type)"
[ "$(key Name)" = Sorvex ] || fail "Name=$(key Name)"
[ "$(key Terminal)" = false ] || fail "Terminal=$(key Terminal)"
[ "$(key Categories)" = 'Utility;Security;' ] || fail "Categories=$(key Categories)"
[ -n "$(key Comment)" ] || fail "no Comment"
exec_name=$(key Exec | awk '{print $1}')
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec=$exec_name is not the installed program"
icon=$(key Icon)
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
  fail "Icon=$icon is not the installed icon"

echo "package $(basename "$deb") is complete"
