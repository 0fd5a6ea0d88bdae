#!/usr/bin/python3
"""The launcher and the file managers' actions start Sorvex with exactly the
selected items, one argument each: their paths, or their URIs where the action
takes URIs (%U, so that an item of the Trash reaches Sorvex as its trash: URI).

A stub `sorvex` first on PATH records the arguments it gets, NUL-separated.
The selection has a folder with a space in its name, names with an apostrophe,
double quotes and a "$", a name whose bytes are not UTF-8, and a symbolic link.
How each command line comes to be:

- launcher (Exec=... %F): GIO's own launching, as GNOME and Files use it.
- Dolphin: the action's Exec expanded and started by GIO. KIO follows the same
  Desktop Entry rules for %U: every selected item's URL one argument of its
  own, no shell.
- Nemo: Nemo's expansion of %U emulated as Nemo 5.6 (Debian 12) does it: each
  URI with ' and " escaped by a backslash, spaces too under EscapeSpaces,
  wrapped in the Quote character if one is set, joined by Separator (a space
  by default) into the Exec line. GLib's g_spawn_command_line_async, which
  Nemo calls, then splits and starts it; here its synchronous twin does.
- Caja, PCManFM and PCManFM-Qt: the FileManager-Actions entry, %U expanded as
  they do: each URI quoted for the shell (g_shell_quote), joined by spaces,
  the line split and started as by g_spawn_command_line_async.
- Thunar: its "Send To" entry offered by the types Thunar matches against the
  selection, and started through GIO as Thunar does: URIs as they are, with
  X-GIO-NoFuse (GIO would pass a local file's path for %U otherwise).
- Files (Nautilus): the extension itself, loaded with the real nautilus-python
  bindings, handed the selection and its menu item activated; it launches the
  installed launcher through GIO. An item of the Trash is handed over as the
  file the Trash keeps, which GIO's Trash gives as its activation URI.

The free-space actions, offered on local folders only, take their paths (%F)
after "--free-space", each started the same way as its file manager's other
action.

Usage: file_manager_actions.py <source folder> [unittest options]
"""
import os
import runpy
import shutil
import sys
import tempfile
import time
import unittest
import warnings

SOURCE = os.path.abspath(sys.argv.pop(1))
ACTIONS = os.path.join(SOURCE, "resources", "filemanager")
LAUNCHER = os.path.join(SOURCE, "resources", "sorvex.desktop")
LABEL = "Уничтожить с помощью Sorvex"
FREE_SPACE_LABEL = "Затереть свободное место здесь"

# GLib reads the data folders once, at their first use: they are set before.
SCRATCH = tempfile.mkdtemp(prefix="sorvex-actions.")
os.makedirs(os.path.join(SCRATCH, "share", "applications"))
shutil.copy(LAUNCHER, os.path.join(SCRATCH, "share", "applications"))
os.makedirs(os.path.join(SCRATCH, "home-share"))
os.environ["XDG_DATA_DIRS"] = os.path.join(SCRATCH, "share")
os.environ["XDG_DATA_HOME"] = os.path.join(SCRATCH, "home-share")
os.makedirs(os.path.join(SCRATCH, "bin"))
STUB = os.path.join(SCRATCH, "bin", "sorvex")
with open(STUB, "w") as stub:
    stub.write('#!/bin/sh\nprintf \'%s\\0\' "$@" >"$SORVEX_RECORD.part" && mv "$SORVEX_RECORD.part" "$SORVEX_RECORD"\n')
os.chmod(STUB, 0o755)
os.environ["PATH"] = os.path.join(SCRATCH, "bin") + os.pathsep + os.environ["PATH"]
RECORD = os.path.join(SCRATCH, "record")
os.environ["SORVEX_RECORD"] = RECORD

import gi  # noqa: E402

gi.require_version("Nautilus", "4.0")
from gi.repository import Gio, GLib  # noqa: E402


def selection():
    """Fresh files and folders to select, as bytes paths in selection order."""
    place = tempfile.mkdtemp(prefix="selection.", dir=SCRATCH).encode()
    folder = os.path.join(place, "Сканы и договоры".encode())
    os.mkdir(folder)
    names = [b"it's mine.txt", b'the "best" plan.txt', b"price $HOME.txt", b"caf\xe9"]
    files = [os.path.join(place, name) for name in names]
    for path in files:
        open(path, "wb").close()
    link = os.path.join(place, b"link to it's mine")
    os.symlink(files[0], link)
    return [folder, *files, link]


def recorded():
    """The arguments the stub got, once it has run."""
    deadline = time.monotonic() + 20
    while not os.path.exists(RECORD):
        if time.monotonic() > deadline:
            raise AssertionError("the stub sorvex was not started")
        GLib.MainContext.default().iteration(False)
        time.sleep(0.02)
    with open(RECORD, "rb") as record:
        data = record.read()
    os.unlink(RECORD)
    return data.split(b"\0")[:-1]


def key_file(path):
    keys = GLib.KeyFile()
    keys.load_from_file(path, GLib.KeyFileFlags.KEEP_TRANSLATIONS)
    return keys


def has_key(keys, group, key):
    return key in keys.get_keys(group)[0]


def gio_launch(desktop_entry, paths):
    """Starts a Desktop Entry with these paths as GIO does."""
    app = Gio.DesktopAppInfo.new_from_keyfile(desktop_entry)
    assert app is not None, "GIO does not take the entry"
    app.launch([Gio.File.new_for_path(os.fsdecode(path)) for path in paths], None)


def uris(paths):
    """The items' URIs as GIO and the file managers write them."""
    return [Gio.File.new_for_path(os.fsdecode(path)).get_uri().encode() for path in paths]


def kio_entry(exec_line):
    """An application entry of a service menu's Exec, as KIO starts it: URLs as they are."""
    entry = GLib.KeyFile()
    entry.set_string("Desktop Entry", "Type", "Application")
    entry.set_string("Desktop Entry", "Name", "Sorvex")
    entry.set_string("Desktop Entry", "Exec", exec_line)
    entry.set_string("Desktop Entry", "X-GIO-NoFuse", "true")
    return entry


def nemo_command(action, code, items):
    """The command line Nemo makes of an action's Exec for the items (bytes)."""
    group = "Nemo Action"

    def optional(key, default):
        return action.get_string(group, key) if has_key(action, group, key) else default

    escape_spaces = optional("EscapeSpaces", "false") == "true"
    quote = {"single": b"'", "double": b'"', "backtick": b"`"}.get(optional("Quote", ""), b"")
    separator = optional("Separator", " ").encode()

    def written(item):
        item = item.replace(b"'", b"\\'").replace(b'"', b'\\"')
        if escape_spaces:
            item = item.replace(b" ", b"\\ ")
        return quote + item + quote

    line = action.get_string(group, "Exec").encode().replace(code, separator.join(written(i) for i in items))
    return os.fsdecode(line)


def fma_command(exec_line, code, items):
    """The command line Caja and the PCManFMs make of an Exec for the items (bytes)."""
    return exec_line.replace(code, " ".join(GLib.shell_quote(os.fsdecode(item)) for item in items))


def spawned(command):
    started, _, _, status = GLib.spawn_command_line_sync(command)
    return started and status == 0


def field_codes(exec_line):
    return [exec_line[i:i + 2] for i in range(len(exec_line) - 1) if exec_line[i] == "%"]


class FileManagerActions(unittest.TestCase):
    def setUp(self):
        if os.path.exists(RECORD):  # left by a test that failed before reading it
            os.unlink(RECORD)
        self.paths = selection()

    def test_launcher_passes_the_files_and_claims_no_type(self):
        launcher = key_file(LAUNCHER)
        self.assertEqual(field_codes(launcher.get_string("Desktop Entry", "Exec")), ["%F"])
        # A type named here would let Sorvex become a default application.
        self.assertFalse(has_key(launcher, "Desktop Entry", "MimeType"))
        gio_launch(launcher, self.paths)
        self.assertEqual(recorded(), self.paths)

    def test_dolphin_offers_files_and_folders_here_and_passes_them(self):
        menu = key_file(os.path.join(ACTIONS, "sorvex-shred.desktop"))
        self.assertEqual(menu.get_string("Desktop Entry", "Type"), "Service")
        self.assertEqual(menu.get_string_list("Desktop Entry", "Actions"), ["shred"])

        # KIO's choice of service menus, for what it reads here: the types
        # (application/octet-stream stands for any item that is no folder)
        # and the protocols.
        types = menu.get_string_list("Desktop Entry", "MimeType")
        protocols = menu.get_string("Desktop Entry", "X-KDE-Protocols").split(",")

        def offered(folder, protocol):
            kinds = {"all/all", "inode/directory"} if folder else {"all/all", "all/allfiles", "application/octet-stream"}
            return bool(kinds & set(types)) and protocol in protocols

        self.assertTrue(offered(folder=False, protocol="file"))
        self.assertTrue(offered(folder=True, protocol="file"))
        self.assertTrue(offered(folder=True, protocol="trash"))
        self.assertFalse(offered(folder=False, protocol="sftp"))

        group = "Desktop Action shred"
        self.assertEqual(menu.get_string(group, "Name"), LABEL)
        exec_line = menu.get_string(group, "Exec")
        self.assertEqual(field_codes(exec_line), ["%U"])
        gio_launch(kio_entry(exec_line), self.paths)
        self.assertEqual(recorded(), uris(self.paths))

    def test_nemo_offers_any_selection_and_passes_it(self):
        group = "Nemo Action"
        action = key_file(os.path.join(ACTIONS, "sorvex-shred.nemo_action"))
        self.assertEqual(action.get_string(group, "Name"), LABEL)
        self.assertEqual(action.get_string(group, "Selection").lower(), "notnone")
        self.assertEqual(action.get_string_list(group, "Extensions"), ["any"])
        exec_line = action.get_string(group, "Exec")
        self.assertEqual(field_codes(exec_line), ["%U"])
        self.assertTrue(spawned(nemo_command(action, b"%U", uris(self.paths))))
        self.assertEqual(recorded(), uris(self.paths))

    def test_caja_and_pcmanfm_offer_local_items_and_pass_them(self):
        action = key_file(os.path.join(ACTIONS, "sorvex-shred-fma.desktop"))
        self.assertEqual(action.get_string("Desktop Entry", "Type"), "Action")
        self.assertEqual(action.get_string("Desktop Entry", "Name"), LABEL)
        self.assertEqual(action.get_string_list("Desktop Entry", "Profiles"), ["shred"])
        group = "X-Action-Profile shred"
        self.assertEqual(action.get_string_list(group, "MimeTypes"), ["all/all"])
        self.assertEqual(action.get_string_list(group, "Schemes"), ["file", "trash"])
        exec_line = action.get_string(group, "Exec")
        self.assertEqual(field_codes(exec_line), ["%U"])
        self.assertTrue(spawned(fma_command(exec_line, "%U", uris(self.paths))))
        self.assertEqual(recorded(), uris(self.paths))

    def test_thunar_sends_files_and_folders_to_it(self):
        entry = key_file(os.path.join(ACTIONS, "sorvex-shred-thunar.desktop"))
        self.assertEqual(entry.get_string("Desktop Entry", "Name"), LABEL)
        self.assertEqual(field_codes(entry.get_string("Desktop Entry", "Exec")), ["%U"])
        types = entry.get_string_list("Desktop Entry", "MimeType")
        for kind in ["text/plain", "image/jpeg", "application/x-zerosize", "inode/symlink", "inode/directory"]:
            self.assertTrue(any(Gio.content_type_is_a(kind, offered) for offered in types), kind)
        gio_launch(entry, self.paths)
        self.assertEqual(recorded(), uris(self.paths))

    def test_nautilus_offers_local_selections_and_passes_them(self):
        with warnings.catch_warnings():  # gi's importer is an old-style one
            warnings.simplefilter("ignore", ImportWarning)
            extension = runpy.run_path(os.path.join(ACTIONS, "sorvex_shred.py"), run_name="sorvex_shred")
        provider = extension["SorvexShredMenu"]()

        class Selected:  # what the extension asks of a NautilusFileInfo
            def __init__(self, location, activation=None):
                self.location = location
                self.activation = activation or location

            def get_location(self):
                return self.location

            def get_activation_uri(self):
                return self.activation.get_uri()

            def is_directory(self):
                return os.path.isdir(self.location.get_path() or "")

        remote = [Selected(Gio.File.new_for_uri("sftp://example.org/home/me/notes.txt"))]
        self.assertEqual(provider.get_file_items(remote), [])
        self.assertEqual(provider.get_file_items([]), [])

        chosen = [Selected(Gio.File.new_for_path(os.fsdecode(path))) for path in self.paths]
        items = provider.get_file_items(chosen)
        self.assertEqual([item.props.label for item in items], [LABEL])
        items[0].emit("activate")
        self.assertEqual(recorded(), self.paths)

        # In the Trash: the file the Trash keeps; inside a trashed folder, none.
        kept = Gio.File.new_for_path(os.fsdecode(self.paths[1]))
        items = provider.get_file_items([Selected(Gio.File.new_for_uri("trash:///it%27s%20mine.txt"), kept)])
        self.assertEqual([item.props.label for item in items], [LABEL])
        items[0].emit("activate")
        self.assertEqual(recorded(), [self.paths[1]])
        self.assertEqual(provider.get_file_items([Selected(Gio.File.new_for_uri("trash:///folder/inside"))]), [])

        folders = provider.get_file_items(chosen[:1])
        self.assertEqual([item.props.label for item in folders], [LABEL, FREE_SPACE_LABEL])
        folders[1].emit("activate")
        self.assertEqual(recorded(), [b"--free-space", self.paths[0]])

    def test_free_space_is_offered_on_local_folders_and_passes_them(self):
        folder = self.paths[:1]  # "Сканы и договоры"
        dolphin, nemo, fma, thunar = (key_file(os.path.join(ACTIONS, "sorvex-free-space" + end)) for end in
                                      [".desktop", ".nemo_action", "-fma.desktop", "-thunar.desktop"])
        profile = "X-Action-Profile " + fma.get_string_list("Desktop Entry", "Profiles")[0]
        for keys, group, key, kinds in [(dolphin, "Desktop Entry", "MimeType", ["inode/directory"]),
                                        (nemo, "Nemo Action", "Extensions", ["dir"]),
                                        (fma, profile, "MimeTypes", ["inode/directory"]),
                                        (thunar, "Desktop Entry", "MimeType", ["inode/directory"])]:
            self.assertEqual(keys.get_string_list(group, key), kinds)
        self.assertEqual(fma.get_string_list(profile, "Schemes"), ["file"])
        self.assertEqual(dolphin.get_string("Desktop Entry", "X-KDE-Protocols"), "file")
        names = [dolphin.get_string("Desktop Action freespace", "Name"), nemo.get_string("Nemo Action", "Name"),
                 fma.get_string("Desktop Entry", "Name"), thunar.get_string("Desktop Entry", "Name")]
        self.assertEqual(names, [FREE_SPACE_LABEL] * 4)

        gio_launch(kio_entry(dolphin.get_string("Desktop Action freespace", "Exec")), folder)
        self.assertEqual(recorded(), [b"--free-space", *folder])
        self.assertTrue(spawned(nemo_command(nemo, b"%F", folder)))
        self.assertEqual(recorded(), [b"--free-space", *folder])
        self.assertTrue(spawned(fma_command(fma.get_string(profile, "Exec"), "%F", folder)))
        self.assertEqual(recorded(), [b"--free-space", *folder])
        gio_launch(thunar, folder)
        self.assertEqual(recorded(), [b"--free-space", *folder])


if __name__ == "__main__":
    try:
        unittest.main()
    finally:
        shutil.rmtree(SCRATCH, ignore_errors=True)
