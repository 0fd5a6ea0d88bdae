#pragma once

#include "engine/FolderPath.h"
#include "platform/FileServices.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvex {

// Every entry below a listed folder, depth first, with the entries below a
// subfolder at the place where it was met, as fts walks a tree for rm. Each
// folder is opened from the one above it by its bare name (see FolderPath),
// so a link or another mount below the listed folder is never entered, with a
// bounded number of descriptors open however deep the tree goes. What is done
// with what it finds is its caller's.
class FolderWalk {
public:
    enum class Step {
        Folder, // a folder opened, its entries not read yet: Skip leaves them unread
        File, // an entry of the folder being read that is not a folder itself
        Cut, // the folder's read failed part-way: its entries read before follow
        Refused, // a folder that could not be opened or read, and why
        Left, // every entry of a folder has come
        End,
    };
    struct Item {
        Step step = Step::End;
        std::string_view folder{}; // the folder's path, ending in "/"; a file's folder
        FileId folderId{}; // the folder's own identity, once it is open
        std::string_view name{}; // a file's name in folder
        FileId id{}; // a file's identity when its folder was read
        int fd = -1; // a folder's descriptor, at its Folder step
        Refusal why = Refusal::None; // Refused: Failed where the read failed
        bool listed = false; // the listed folder itself
    };

    // betweenBatches is called between the batches of a long read and now and
    // then while a large listing is checked; false ends the read there.
    FolderWalk(FileServices& fs, std::string folder, std::function<bool()> betweenBatches);

    // What comes next; valid until the next call.
    const Item& Next();
    // After a Folder step: the folder's entries are not read, and it is left.
    void Skip();
    // True once a folder read so far listed a name twice (it changed while it
    // was read): a path from then on may have come already.
    bool NamesRepeated() const { return namesRepeated_; }

private:
    // A folder being read. Its path is the first length bytes of folder_:
    // the paths of all the folders on the way down share one string, so a
    // deep tree costs memory in proportion to its depth, not to its square.
    struct Frame {
        std::size_t length = 0;
        FileId id;
        FolderListing entries;
    };
    const Item& Read();
    const Item& Enter(FolderPath::Borrowed opened, bool listed);
    const Item& Say(Step step, const Frame& frame, Refusal why = Refusal::None);
    void Leave();

    FileServices& fs_;
    FolderPath path_;
    std::function<bool()> betweenBatches_;
    // The path of the folder entered last, ending in "/"; the frames' paths are its beginnings.
    std::string folder_;
    std::vector<Frame> frames_; // kept for the folders below, once made
    std::size_t depth_ = 0; // frames in use
    Item item_; // the step given last
    bool started_ = false;
    bool unread_ = false; // the deepest frame's entries are still to be read
    bool namesRepeated_ = false;
};

} // namespace sorvex
