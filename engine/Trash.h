#pragma once

#include <string>
#include <string_view>

namespace sorvex {

// The desktop's Trash: an item trashed is kept as TRASH/files/NAME, and the
// desktop's note of it (where it came from, and when) as
// TRASH/info/NAME.trashinfo. TRASH is the user's home Trash,
// $XDG_DATA_HOME/Trash, or on another file system TOP/.Trash-UID or
// TOP/.Trash/UID.
struct TrashPlaces {
    std::string home; // the home Trash, ending in "/"
    unsigned uid = 0;

    // This user's, from the environment: XDG_DATA_HOME, else HOME/.local/share.
    static TrashPlaces OfThisUser();
    // Whether folder (ending in "/") is a Trash of this user's.
    bool IsTrash(std::string_view folder) const;
};

// The note that belongs to path (a file's, or a folder's ending in "/") when
// it is an item right in a Trash's files/ folder; empty for anything else,
// a file or folder inside a trashed folder included.
std::string TrashNoteOf(std::string_view path, const TrashPlaces& trash);

} // namespace sorvex
