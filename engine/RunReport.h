#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sorvex {

// Why something that was listed may still be readable after a run.
enum class Remains {
    NotInPlace, // the overwrite went elsewhere: copy-on-write, shared blocks, kept inline
    NotChecked, // where the overwrite went could not be checked
    OtherNames, // only this name was removed: other hard links keep the content
    FolderUnreadable, // a folder could not be read, or vanished
    NotDeleted, // overwritten, but the name could not be removed
    Stopped, // the file in hand when the run was stopped: its unwritten part remains
    OtherFileSystem, // another file system mounted below a listed folder: not entered
    SystemFileSystem, // a file system of the kernel's own: never written
    Changed, // changed during the run (a link, or another file): left untouched
    NotAPlainFile, // a device, a FIFO or a socket: left in place
    LowerLayer, // the overlay's lower layer keeps the file as it was
    Journalled, // copies of its data went through the file system's journal
    Swapped, // kept in memory that may have been written to swap
    NotReached, // the run ended with an error before this file's turn
    // Why the file that ended the run with an error could not be destroyed:
    ReadOnlyFileSystem, // its file system is mounted read-only
    WriteProtected, // immutable or append-only (chattr +i, +a)
    InUse, // locked, held open by another program, or a running program's file
    NoWritePermission, // the system refused to open it for writing
    SystemError, // anything else: the system's own message for error
    // Said once per file system a run removed names on, by its mount point:
    NamesInFolderBlocks, // its folders' blocks keep the names of removed files
    NamesInCopies, // older copies of its records keep them (copy-on-write)
    Flash, // a device below it is flash: a cell the controller moved keeps the old bytes
    AttributesKept, // old values of its user.* attributes may stay in the file system's records
    DesktopCopy, // a thumbnail or the list of recent files that could not be rid of a destroyed file
    NamesInJournal, // its journal keeps copies of folders' blocks taken before the run, names in them
};

// Whether why is said of a whole file system, once per run, not of a file.
inline bool AboutTheMedium(Remains why)
{
    return why == Remains::NamesInFolderBlocks || why == Remains::NamesInCopies || why == Remains::NamesInJournal ||
           why == Remains::Flash;
}

// What a run could not destroy for certain, for the user to be told at its
// end, and how many files it did destroy.
struct RunReport {
    struct Item {
        std::string path; // raw bytes
        Remains why;
        int error = 0; // SystemError: the system's error number
    };
    std::vector<Item> items;
    // Files whose names are gone with nothing of them in the items: overwritten
    // where they lay (or links), or names whose content went under its last name.
    std::size_t destroyed = 0;

    void Add(std::string_view path, Remains why, int error = 0) { items.push_back({std::string(path), why, error}); }
    bool Empty() const { return items.empty(); }
};

} // namespace sorvex
