#pragma once

#include "engine/DesktopCopies.h"
#include "engine/PathList.h"
#include "engine/Pattern.h"
#include "engine/RunReport.h"
#include "platform/FileServices.h"
#include "platform/FreeSpace.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace sorvex {
class EntrySource;
class FolderPath;
class LandingCheck;
class RunView;
enum class RunEnd;
} // namespace sorvex

// Method codes, as bound to the method page's radio buttons.
enum WipeMethod : int { MethodFast = 1, MethodBalanced = 2, MethodThorough = 3, MethodDoD = 4 };

// The shredding job: expands the listed entries into Files, then destroys
// every file of it with one of the four methods, reporting into its view and
// pumping messages there so that "Стоп" is answered at once. Nothing outside
// the list is touched: every file is reached again name by name from its
// listed folder, never through a link or into another mount, and only while
// it is still the file that was found there.
//
// Where it is: CShredder.cpp holds the run (Run), its report at the end, and
// the expansion of the list (BuildFileList, where an item of the Trash takes
// the Trash's note of it along, engine/Trash.h; and ScanFolder over the walk
// of engine/FolderWalk.h). Methods.cpp holds the four methods, in the order a
// file meets them: reached again (Reach), opened, overwritten in passes,
// removed; and the stop. FreeSpaceWipe.cpp holds the wipe of the free space.
class CShredder {
public:
    CShredder();
    CShredder(const CShredder&) = delete;
    CShredder& operator=(const CShredder&) = delete;

    sorvex::PathList Files; // the files of the current run, each once, in order
    bool Stop = false; // set by the progress page; answered and cleared by the run

    void Run(int method);
    // True from the start of Run until it returns, whether it ends, is stopped or fails.
    bool Running() const { return running_; }
    void BuildFileList();
    // Appends every file below folder (a path ending in "/"), depth first.
    // lookUp false: the caller knows target holds no path below folder yet.
    void ScanFolder(const std::string& folder, sorvex::PathList& target, bool lookUp = true);

    void WipeFast();
    void WipeBalanced();
    void WipeThorough();
    void WipeDoD();

    // Writes over the free space of the file systems that hold the folders
    // (raw bytes), on the same view and answering "Стоп" as a run does, then
    // tells what it did (engine/FreeSpaceWipe.h).
    void WipeFreeSpace(const std::vector<std::string>& folders);

    // What the last run could not destroy for certain.
    const sorvex::RunReport& Report() const { return report_; }

    // Where a run reads its entries and shows itself: the pages, or a test's stand-ins.
    void UseEntries(sorvex::EntrySource* entries) { entries_ = entries; }
    void UseView(sorvex::RunView* view) { view_ = view; }
    // The file system the job works on: the real one unless a test says otherwise.
    void UseServices(sorvex::FileServices& services) { fs_ = &services; }
    void UseFreeSpaceServices(sorvex::FreeSpaceServices& space) { space_ = &space; }
    // Blocks written with one call: a mebibyte, where each call costs as much
    // as the write of one block itself; tests may take them one by one.
    static constexpr std::size_t RunBlocks = 4096;
    void UseRunBlocks(std::size_t blocks) { runBlocks_ = blocks; }

private:
    // What may be done to a file of Files once it has been reached again.
    enum class Treatment { Overwrite, NameOnly, Skip };
    // A file reached again: its folder's descriptor and its name there.
    struct Reached {
        int folder = -1;
        std::string_view name;
        sorvex::FileId id;
        bool inPlace = false; // its file system overwrites in place
    };

    void AddListedFile(const std::string& path, bool lookUp);
    bool IsPlainFile(const std::string& path);
    bool FirstTimeHere(sorvex::FileId folder);
    bool ListedOnItsOwn(sorvex::FileId folder, std::string_view name) const;
    Treatment Reach(std::size_t index, sorvex::FolderPath& folders, Reached& file);
    Treatment Unreachable(std::string_view path, sorvex::Refusal why, int error,
                          sorvex::Remains refused = sorvex::Remains::SystemError);
    [[noreturn]] void EndRun(const std::string& lead, std::string_view path, sorvex::Remains why, int error);
    [[noreturn]] void CannotOpen(std::string_view path, sorvex::Remains why, int error);
    [[noreturn]] void CannotWrite(std::string_view path, int error);
    void WipeInPasses(int passes, const sorvex::Block& pattern);
    bool OverwriteInPasses(std::string_view path, const Reached& file, sorvex::UniqueFd& open, int passes,
                           const sorvex::BlockRun& run);
    void WriteBlocks(std::string_view path, int fd, const sorvex::BlockRun& run, std::int64_t first, std::int64_t count,
                     std::int64_t size);
    void StopSequence(sorvex::UniqueFd& open, std::string_view path, const Reached& file, sorvex::LandingCheck& landing,
                      bool firstPass, bool passEnded);
    bool RemoveName(std::string_view path, const Reached& file);
    // How a file counts among those destroyed, once its name is gone.
    struct Tally {
        enum Kind { Destroyed, NotDestroyed, LeftToOthers } kind = NotDestroyed;
        std::size_t reportAt = 0; // LeftToOthers: where the report names it
    };
    Tally TallyOfFileInHand() const;
    void CountDestroyed(bool removed, Tally tally);
    bool StopAfterFile();
    void ReportOtherHomes(std::string_view path, const Reached& file, int fd);
    void ReportNotReached();
    void WithdrawOtherNames(sorvex::FileId id);
    void SettleReport();
    void ClosingSteps();
    void ShowReport(sorvex::RunEnd how);

    // What goes with a file besides its content (Traces.cpp): its names,
    // its attributes, the desktop's copies of it.
    void StartTraces(int passes, const sorvex::Block& pattern);
    void DestroyAttributes(std::string_view path, int fd);
    void LetNameGo(std::size_t index, const Reached& file, sorvex::UniqueFd& open);
    void RemoveWaitingNames(std::string_view folder);
    void Settled(std::uint64_t device);
    void TellMedium(std::string_view path, const Reached& file);
    void NoteDestroyed(std::string_view path);
    bool WriteOver(int fd);
    void DestroyCopies();
    void ForgetInRecentList();
    void FinishTraces();

    sorvex::FileServices* fs_;
    sorvex::FreeSpaceServices* space_;
    sorvex::EntrySource* entries_ = nullptr;
    sorvex::RunView* view_ = nullptr;
    bool running_ = false;
    std::size_t runBlocks_ = RunBlocks;
    sorvex::RunReport report_;
    // Names reported as leaving their content to other names, by content,
    // with where in the report: the content's last name may come later in
    // the same run. Those withdrawn leave the report when the run ends.
    std::unordered_map<sorvex::FileId, std::vector<std::size_t>, sorvex::FileIdHash> otherNames_;
    std::vector<std::size_t> withdrawn_;
    // The file of Files in hand: those after it are not reached if an error ends the run.
    std::size_t inHand_ = 0;
    // The report's size when the file in hand was reached: the file counts as
    // destroyed when its name goes and nothing of it was reported.
    std::size_t reportedBefore_ = 0;
    // Where in the report names stand that left their content to other names,
    // each removed: destroyed too once the content's last name has been.
    std::vector<std::size_t> leftToOthers_;
    bool stopped_ = false;
    // What the list has reached so far, however it was spelt: the folders
    // read, and the files listed on their own by the folder they are in.
    std::unordered_set<sorvex::FileId, sorvex::FileIdHash> foldersRead_;
    std::unordered_map<sorvex::FileId, std::unordered_set<std::string>, sorvex::FileIdHash> listedFiles_;
    // Whether the folders of files listed on their own are on a system file system.
    std::unordered_map<sorvex::FileId, bool, sorvex::FileIdHash> systemFolders_;
    // The file system of the base last opened by Reach.
    sorvex::FileSystemInfo baseFileSystem_;

    // The run's passes and pattern, for what is destroyed besides the files.
    int passes_ = 0;
    sorvex::Block pattern_{};
    sorvex::BlockRun run_;
    // Names of overwritten files that wait for the last file of their folder
    // in Files (see FileSystemInfo::namesTogether), by the folder's path.
    struct Waiting {
        std::size_t index = 0;
        sorvex::FileId id;
        sorvex::UniqueFd open; // a few stay open: a large file's space is freed on a thread when closed
        Tally tally;
    };
    struct WaitingFolder {
        sorvex::UniqueFd folder;
        std::vector<Waiting> names;
    };
    std::unordered_map<std::string_view, WaitingFolder> waiting_;
    std::size_t held_ = 0; // open descriptors among waiting_
    std::vector<bool> lastOfFolder_; // by index in Files
    // Folders whose names went since the last flush on their device, by device.
    std::vector<std::pair<std::uint64_t, sorvex::UniqueFd>> unsettled_;
    std::unordered_set<std::uint64_t> mediaTold_; // devices whose medium the report has told of
    sorvex::DesktopCopies desktop_;
    std::vector<sorvex::DesktopCopies::Copy> copies_;
};

extern CShredder Shredder;
