#!/usr/bin/env bash
# The built program on an X server of its own, started as a GNOME or XFCE
# session starts it: Qt's GTK 3 platform theme, with the GTK theme Adwaita:dark.
# The pages must keep their own light look: the header bands and the welcome
# panel white with dark text, the warning red.
# Usage: scripts/on-xvfb bash tests/e2e/dark_theme.sh <sorvex>
set -euo pipefail
# shellcheck source=SCRIPTDIR/drive.sh
. "$(dirname "$0")/drive.sh"

sorvex=$1
drive_begin 40
theme=$(find /usr/lib/*/qt6/plugins/platformthemes -name 'libqgtk3.so' 2>/dev/null | head -n 1)
[ -n "$theme" ] || drive_fail "Qt's GTK 3 platform theme is missing (scripts/packages.sh: qt6-gtk-platformtheme)"

# "lightest darkest": the grey levels (0 to 100) of a part of the page.
drive_greys()
{
    drive_part "$1" "$DRIVE_TMP/grey.png"
    convert "$DRIVE_TMP/grey.png" -colorspace Gray -format '%[fx:round(100*maxima)] %[fx:round(100*minima)]' info:
}

# A white part with dark text in it.
drive_expect_dark_on_white()
{
    local lightest darkest
    read -r lightest darkest <<<"$(drive_greys "$1")"
    [ "$lightest" -ge 97 ] && [ "$darkest" -le 30 ] ||
        drive_fail "$2 is not dark on white: its grey levels run from $darkest to $lightest"
}

DRIVE_ENV+=(QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark)
drive_start_sorvex "$sorvex"

drive_step "welcome page under Adwaita:dark"
drive_settle
drive_expect_dark_on_white 320x24+170+12 "the welcome page's title"
drive_part 320x40+170+132 "$DRIVE_TMP/warning.png"
reddest=$(convert "$DRIVE_TMP/warning.png" -fx 'r-max(g,b)' -format '%[fx:round(100*maxima)]' info:)
[ "$reddest" -ge 60 ] || drive_fail "the warning is not red: its reddest pixel is $reddest% redder than green or blue"

drive_step "file selection page under Adwaita:dark"
drive_next_page "${DRIVE_NEXT[@]}"
drive_settle
drive_expect_dark_on_white 320x36+16+4 "the file selection page's header band"

drive_exit
[ "$DRIVE_STATUS" -eq 0 ] || drive_fail "sorvex ended with exit code $DRIVE_STATUS"
echo "PASS: under Adwaita:dark every band checked is dark on white, the warning red"
