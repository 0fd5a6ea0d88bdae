#pragma once

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
    // Said once per file system a run removed names on, by its mount point:
    NamesInFolderBlocks, // its folders' blocks keep the names of removed files
    NamesInCopies, // older copies of its records keep them (copy-on-write)
    Flash, // a device below it is flash: a cell the controller moved keeps the old bytes
    AttributesKept, // old values of its user.* attributes may stay in the file system's records
    DesktopCopy, // a thumbnail or the list of recent files that could not be rid of a destroyed file
};

// Whether why is said of a whole file system, once per run, not of a file.
inline bool AboutTheMedium(Remains why)
{
    return why == Remains::NamesInFolderBlocks || why == Remains::NamesInCopies || why == Remains::Flash;
}

// What a run could not destroy for certain, for the user to be told at its end.
struct RunReport {
    struct Item {
        std::string path; // raw bytes
        Remains why;
    };
    std::vector<Item> items;

    void Add(std::string_view path, Remains why) { items.push_back({std::string(path), why}); }
    bool Empty() const { return items.empty(); }
};

} // namespace sorvex
