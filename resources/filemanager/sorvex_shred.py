# Files (Nautilus): "Уничтожить с помощью Sorvex" in the menu of selected local
# files and folders, and of items of the Trash, and "Затереть свободное место
# здесь" where all of them are folders. Loaded by nautilus-python (Debian:
# python3-nautilus) from share/nautilus-python/extensions/; it starts Sorvex
# through its launcher, sorvex.desktop, whose Exec line takes the selection as
# %F, or for the free space through a command line of the same form.
import gi

try:
    gi.require_version("Nautilus", "4.0")
except ValueError:  # Nautilus before 43
    gi.require_version("Nautilus", "3.0")
from gi.repository import GObject, Gio, Nautilus

LABEL = "Уничтожить с помощью Sorvex"
FREE_SPACE_LABEL = "Затереть свободное место здесь"


def local_place(info):
    """Where the item lies on this machine, or None. An item at the top of the
    Trash is the file or folder the Trash keeps for it, which GIO's Trash
    gives as the item's activation URI."""
    place = info.get_location()
    if place.get_uri_scheme() == "trash":
        place = Gio.File.new_for_uri(info.get_activation_uri())
    return place if place.get_uri_scheme() == "file" and place.get_path() is not None else None


class SorvexShredMenu(GObject.GObject, Nautilus.MenuProvider):
    # Nautilus 43 calls get_file_items(files), older ones (window, files).
    def get_file_items(self, *args):
        files = args[-1]
        launcher = Gio.DesktopAppInfo.new("sorvex.desktop")
        if not files or launcher is None:
            return []
        selection = [local_place(info) for info in files]
        # Only what lies on this machine: a remote file would reach Sorvex as
        # a local copy, and destroying the copy would leave the original.
        if None in selection:
            return []
        item = Nautilus.MenuItem(name="SorvexShredMenu::Shred", label=LABEL, icon="sorvex")
        item.connect("activate", lambda _item: launcher.launch(selection, None))
        if not all(info.is_directory() and info.get_location().get_uri_scheme() == "file" for info in files):
            return [item]
        wipe = Gio.AppInfo.create_from_commandline("sorvex --free-space %F", "Sorvex", Gio.AppInfoCreateFlags.NONE)
        free_space = Nautilus.MenuItem(name="SorvexShredMenu::FreeSpace", label=FREE_SPACE_LABEL, icon="sorvex")
        free_space.connect("activate", lambda _item: wipe.launch(selection, None))
        return [item, free_space]
