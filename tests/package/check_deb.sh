#!/usr/bin/env bash
# Builds the Debian package from a build folder into a private folder, unpacks
# it and checks what it would install: exactly the expected files; the program,
# its launcher, every icon, the file managers' actions, the AppStream metadata,
# the manual page, the copyright file and changelog; the packages it depends on;
# and that lintian finds nothing to warn about.
# Usage: check_deb.sh <cpack> <build folder> <source folder> <version>
set -euo pipefail

cpack=$1 build=$2 source=$3 version=$4

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate lintian appstreamcli man lexgrog; do
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
# Sorvex has no web address of its own: none is made up.
[ -z "$(field Homepage)" ] || fail "Homepage: $(field Homepage)"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
[ -n "$depends" ] || fail "dpkg-deb -I lists no Depends"
# Each needed package must be named as a whole package, not as part of another name.
for package in libqt6widgets6 libqt6gui6 libqt6core6 libqt6dbus6 libjpeg62-turbo libc6 libstdc++6 qt6-translations-l10n \
  fonts-liberation; do
  grep -Eq "(^|, )${package//+/\\+}( \\(|,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

[ "$(field Recommends)" = python3-nautilus ] || fail "Recommends: $(field Recommends), not python3-nautilus"
[ -z "$(field Suggests)" ] || fail "Suggests: $(field Suggests)"

# Everything goes below /usr, nothing below /usr/local.
listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
stray=$(grep -Ev '^\./(usr/)?$|^\./usr/' <<<"$listing" || true)
[ -z "$stray" ] || fail "files outside /usr: $stray"
! grep -q '^\./usr/local' <<<"$listing" || fail "files below /usr/local"

root="$work/root"
dpkg-deb -x "$deb" "$root"

# Exactly these files, no more.
expected=(
  usr/bin/sorvex
  usr/share/applications/sorvex.desktop
  usr/share/doc/sorvex/changelog.gz
  usr/share/doc/sorvex/copyright
  usr/share/file-manager/actions/sorvex-free-space.desktop
  usr/share/file-manager/actions/sorvex-shred.desktop
  usr/share/icons/hicolor/scalable/apps/sorvex.svg
  usr/share/kio/servicemenus/sorvex-free-space.desktop
  usr/share/kio/servicemenus/sorvex-shred.desktop
  usr/share/man/man1/sorvex.1.gz
  usr/share/metainfo/org.example.sorvex.metainfo.xml
  usr/share/nautilus-python/extensions/sorvex_shred.py
  usr/share/nemo/actions/sorvex-free-space.nemo_action
  usr/share/nemo/actions/sorvex-shred.nemo_action
  usr/share/Thunar/sendto/sorvex-free-space.desktop
  usr/share/Thunar/sendto/sorvex-shred.desktop
)
for png in "$source"/resources/icons/sorvex-*.png; do
  size=$(basename "$png" .png)
  size=${size#sorvex-}
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/sorvex.png")
done
installed=$(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
[ "$installed" = "$wanted" ] ||
  fail "installed files differ from the expected ones:$(diff <(echo "$wanted") <(echo "$installed") | grep '^[<>]' | sed 's/^/ /')"

program="$root/usr/bin/sorvex"
[ -f "$program" ] && [ -x "$program" ] || fail "usr/bin/sorvex missing or not executable"
[ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" = '177ELF' ] || fail "usr/bin/sorvex is not a program"
# The packaged program answers on its command line, with no display, as its manual says.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version)" = "sorvex $version" ] ||
  fail "usr/bin/sorvex --version printed: $(env -u DISPLAY "$program" --version 2>&1)"

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

! grep -q '^MimeType=' "$desktop" || fail "the launcher names MIME types: Sorvex could become a default application"

# The file managers' actions, as in the source. Dolphin's service menu is an
# entry of type Service, which desktop-file-validate knows only so far: of its
# complaints, those about keys it keeps for applications are expected.
actions="$source/resources/filemanager"
for pair in sorvex-shred.desktop:kio/servicemenus/sorvex-shred.desktop \
            sorvex-shred.nemo_action:nemo/actions/sorvex-shred.nemo_action \
            sorvex_shred.py:nautilus-python/extensions/sorvex_shred.py \
            sorvex-shred-fma.desktop:file-manager/actions/sorvex-shred.desktop \
            sorvex-shred-thunar.desktop:Thunar/sendto/sorvex-shred.desktop \
            sorvex-free-space.desktop:kio/servicemenus/sorvex-free-space.desktop \
            sorvex-free-space.nemo_action:nemo/actions/sorvex-free-space.nemo_action \
            sorvex-free-space-fma.desktop:file-manager/actions/sorvex-free-space.desktop \
            sorvex-free-space-thunar.desktop:Thunar/sendto/sorvex-free-space.desktop; do
  cmp -s "$actions/${pair%%:*}" "$root/usr/share/${pair#*:}" || fail "usr/share/${pair#*:} missing or different"
done
# Thunar's "Send To" entries are application entries, valid as such.
for entry in sorvex-shred sorvex-free-space; do
  report=$(desktop-file-validate "$root/usr/share/Thunar/sendto/$entry.desktop" 2>&1) ||
    fail "desktop-file-validate on Thunar's $entry: $report"
  problems=$(grep -v ': hint: ' <<<"$report" || true)
  [ -z "$problems" ] || fail "desktop-file-validate on Thunar's $entry: $problems"
  report=$(desktop-file-validate "$root/usr/share/kio/servicemenus/$entry.desktop" 2>&1) || true
  problems=$(grep -v ': hint: ' <<<"$report" |
    grep -Ev 'key "(MimeType|Actions)" is present in group "Desktop Entry", but the type is "Service" while this key is only valid for type "Application"' ||
    true)
  [ -z "$problems" ] || fail "desktop-file-validate on the Dolphin service menu $entry: $problems"
done

# The AppStream metadata: valid with the validator's network checks on, which
# fetch every web address it names; only where no network answers are those
# checks left out. It names the installed launcher and this version.
metainfo="$root/usr/share/metainfo/org.example.sorvex.metainfo.xml"
if ! appstreamcli validate --pedantic "$metainfo"; then
  ! timeout 5 bash -c 'exec 3<>/dev/tcp/www.freedesktop.org/443' 2>/dev/null ||
    fail "appstreamcli validate: $metainfo"
  echo "no network: the metadata's web addresses are not fetched"
  appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate --no-net: $metainfo"
fi
grep -q '<launchable type="desktop-id">sorvex.desktop</launchable>' "$metainfo" ||
  fail "the metainfo does not launch sorvex.desktop"
release=$(grep -o -m 1 '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
[ "$release" = "$version" ] || fail "newest release in the metainfo is $release, not $version"

# The manual page: rendered as lintian renders it, without a warning, with a
# whatis entry and this version.
manpage="$root/usr/share/man/man1/sorvex.1.gz"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manpage" 2>&1 >/dev/null) ||
  fail "man cannot render sorvex.1: $warnings"
[ -z "$warnings" ] || fail "man warns about sorvex.1: $warnings"
whatis=$(lexgrog "$manpage") || fail "lexgrog cannot read sorvex.1"
grep -q ': "sorvex - ' <<<"$whatis" || fail "sorvex.1 has no whatis entry: $whatis"
page=$(zcat "$manpage")
grep -q "^\.TH SORVEX 1 .*\"Sorvex $version\"" <<<"$page" || fail "sorvex.1 is not of version $version"

# The copyright file as in the source, and a changelog whose newest entry is this version.
cmp -s "$source/packaging/copyright" "$root/usr/share/doc/sorvex/copyright" || fail "copyright missing or different"
changes=$(zcat "$root/usr/share/doc/sorvex/changelog.gz")
[[ "${changes%%$'\n'*}" == "sorvex ($version) "* ]] || fail "newest changelog entry is not $version: ${changes%%$'\n'*}"

# No web address that leads nowhere, in any installed text.
nowhere='https?://([a-z0-9-]+\.)*example\.(org|com|net)'
made_up=$(grep -rIlE "$nowhere" "$root"; ! grep -qE "$nowhere" <<<"$page" || echo "$manpage")
[ -z "$made_up" ] || fail "a made-up web address in: $made_up"

# lintian: no error and no warning. (As root it adds that it would rather not run as root.)
tags=$(lintian --fail-on error,warning "$deb" 2>&1) ||
  fail "lintian: $(grep -v 'running with root privileges' <<<"$tags")"

echo "package $(basename "$deb") is complete"
