# Sourced by the set-up commands: the Debian packages Sorvex needs, and the
# step that installs whichever of them are missing.

# To build and run the program, and to make its Debian package (dpkg-shlibdeps
# from dpkg-dev and `file` work out what the package depends on).
BUILD_PACKAGES="cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libjpeg-dev libxcb1-dev qt6-translations-l10n
  libgtest-dev fonts-liberation fonts-dejavu-core dpkg-dev file"
# To run every test: a real X server to drive the program in (xclip reads back
# what was typed into its dialogs), a window manager to frame its windows, and
# weston beside Xvfb with Qt's Wayland and GTK theme plugins and a Russian locale, and
# the tools that look at the results: of the package, lintian, the desktop-file
# and AppStream validators and man; of the file managers' actions, GLib's and
# nautilus-python's Python bindings; and clang-format, which holds the sources
# to the written style. The real-disk tests make ext4, btrfs, xfs, vfat and
# exFAT images, and mount a folder over sshfs from an sshd of their own. A
# session bus of the tests' own hears the program's notifications and its
# progress for docks, and the accessibility bus and pyatspi read its pages as
# a screen reader does.
TEST_PACKAGES="xvfb xdotool x11-utils imagemagick xclip openbox weston qt6-wayland qt6-gtk-platformtheme locales e2fsprogs btrfs-progs xfsprogs
  mount util-linux desktop-file-utils lintian appstream man-db groff-base python3-gi python3-nautilus
  clang-format sshfs openssh-server openssh-client dosfstools exfatprogs dbus-daemon dbus-bin at-spi2-core python3-pyatspi"

# Installs the missing packages as root; as anyone else, prints the line to run and stops.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Sorvex needs these Debian packages. Install them, then run this command again:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${missing[@]}"
}
