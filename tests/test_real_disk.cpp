// Destroys files on real file systems in loop-mounted images, then looks for
// their content and their names in the raw image: what a run says is gone
// must be gone from the medium, not only from the page cache; and where an
// overwrite cannot land on the old data (copy-on-write), or the file system
// keeps names or attribute values, or the medium is flash, the run must say so;
// and a wipe of the free space must take what the runs left there. However a
// wipe ends, stopped or killed, the disk has its free space back.
#include "platform/FileSystems.h"
#include "platform/Identity.h"
#include "tests/support/EngineTest.h"
#include "tests/support/RealMedium.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <thread>
#include <tuple>

#include <sys/utsname.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace sorvex;

namespace {

const std::string MarkerBase = "SORVEX-TEST-MARKER-FOR-METHOD-";
const std::string NameMark = "SVXN-"; // every listed name starts so, and has the same length

std::string Marker(int method)
{
    return MarkerBase + std::to_string(method) + "|";
}

// The name of file i of method's tree: distinct, of one length, found in the image by NameMark.
std::string NameOf(int method, int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "%sm%d-%04d-tail", NameMark.c_str(), method, i);
    return name;
}

// How often each listed name stands in the image, read once.
std::map<std::string, std::size_t> NamesIn(const std::string& image)
{
    std::map<std::string, std::size_t> counts;
    const std::size_t length = NameOf(0, 0).size();
    ForEachIn(image, NameMark, length, [&](std::string_view name) {
        // Whole names only: not one cut short where it stands, nor one whose
        // bytes a log stamped over where a sector begins (xfs).
        int method = 0;
        int i = 0;
        const std::string found(name);
        if (std::sscanf(found.c_str() + NameMark.size(), "m%d-%d", &method, &i) == 2 && NameOf(method, i) == found)
            ++counts[found];
    });
    return counts;
}

bool KernelWipesRemovedEntries()
{
    struct utsname system;
    return uname(&system) == 0 && WipesRemovedEntries(system.release);
}

// These are the tests that prove overwritten data left the medium; when they
// cannot run, the whole run's output must say so, not only a skip count.
std::string Loudly(const std::string& why)
{
    return ::Loudly("that overwritten data and names leave the medium (RealDisk)", why, "a loop device can be mounted");
}

// A file system on a loop device, and what a run there must tell.
struct MediumCase {
    const char* label;
    const char* type;
    bool flash; // the loop device says it does not rotate
    bool inPlace; // overwrites land where the data lies
    Remains names; // what the report says once of names
    const char* options; // of the mount, after "loop"
    bool wipe; // the free space wiped after the runs, their folders gone
};

Remains NamesOnExt4()
{
    return KernelWipesRemovedEntries() ? Remains::NamesInJournal : Remains::NamesInFolderBlocks;
}

class Media : public EngineTest, public testing::WithParamInterface<MediumCase> {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        fs.fileSystem.reset(); // the file system as it is
    }
    void TearDown() override
    {
        if (mounted)
            Shell("umount " + mountPoint);
        EngineTest::TearDown();
    }
    // Makes and mounts an image of a file system of type; the reason when it
    // cannot. The image lies in memory, so that only the loop device tells
    // whether the medium is flash.
    std::string Mount(const std::string& type, bool flash, const std::string& options = "")
    {
        if (geteuid() != 0)
            return "mounting a loop device needs root";
        if (!Shell("command -v mkfs." + type))
            return "mkfs." + type + " is not installed";
        image = images.path() + "/" + type + ".img";
        mountPoint = tree / type;
        MakeFolder(mountPoint);
        if (!Shell("truncate -s 320M " + image) ||
            !Shell("mkfs." + type + " -q " + image + " || mkfs." + type + " -f " + image))
            return "mkfs." + type + " failed";
        flash_ = flash;
        options_ = options;
        if (!Mounted())
            return "no loop device, or mounting not allowed";
        return {};
    }
    // Mounted again on a fresh loop device, which is told whether it rotates.
    bool Mounted()
    {
        mounted = Shell("mount -o loop" + options_ + " " + image + " " + mountPoint);
        const std::string device = "$(basename $(findmnt -n -o SOURCE " + mountPoint + "))";
        return mounted &&
               Shell("echo " + std::string(flash_ ? "0" : "1") + " > /sys/block/" + device + "/queue/rotational");
    }
    // Per method: three marker files, names of one length in a listed folder
    // and a folder below it, and three files with a user.* attribute.
    void MakeTrees()
    {
        for (int method = MethodFast; method <= MethodDoD; ++method) {
            const std::string folder = Folder(method);
            MakeFolder(folder);
            MakeFolder(folder + "/below");
            WriteMarkerFile(folder + "/small", Marker(method), 10);
            WriteMarkerFile(folder + "/medium", Marker(method), 3000);
            WriteMarkerFile(folder + "/large", Marker(method), 40000);
            for (int i = 0; i < 60; ++i)
                WriteFile(folder + (i % 6 == 5 ? "/below/" : "/") + NameOf(method, i), "x");
            for (int i = 0; i < 3; ++i) {
                const std::string value(400, static_cast<char>('a' + i));
                setxattr((folder + "/" + NameOf(method, i)).c_str(), "user.xdg.origin.url", value.data(), value.size(),
                         0);
            }
        }
        sync();
    }
    std::string Folder(int method) const { return mountPoint + "/m" + std::to_string(method); }
    std::map<std::string, std::size_t> NamesNow()
    {
        if (mounted && Shell("umount " + mountPoint))
            mounted = false;
        return NamesIn(image);
    }
    std::size_t MarkersLeft(int method) { return CountIn(image, Marker(method)); }
    std::size_t Reported(Remains why, const std::string& path = {}) const
    {
        std::size_t count = 0;
        for (const RunReport& report : view.reports)
            count +=
                static_cast<std::size_t>(std::count_if(report.items.begin(), report.items.end(), [&](const auto& item) {
                    return item.why == why && (path.empty() || item.path == path);
                }));
        return count;
    }

    TempTree images{"/dev/shm"};
    std::string image;
    std::string mountPoint;
    bool mounted = false;
    bool flash_ = false;
    std::string options_;
};

INSTANTIATE_TEST_SUITE_P(
    LoopImages, Media,
    testing::Values(MediumCase{"Ext4", "ext4", false, true, NamesOnExt4(), "", false},
                    MediumCase{"Xfs", "xfs", false, true, Remains::NamesInFolderBlocks, "", false},
                    MediumCase{"Btrfs", "btrfs", false, false, Remains::NamesInCopies, "", false},
                    MediumCase{"Ext4OnFlash", "ext4", true, true, NamesOnExt4(), "", false},
                    MediumCase{"Ext4Wiped", "ext4", false, true, NamesOnExt4(), "", true},
                    MediumCase{"XfsWiped", "xfs", false, true, Remains::NamesInFolderBlocks, "", true},
                    MediumCase{"BtrfsWiped", "btrfs", false, false, Remains::NamesInCopies, "", true},
                    MediumCase{"BtrfsZstdWiped", "btrfs", false, false, Remains::NamesInCopies, ",compress=zstd",
                               true}),
    [](const auto& tested) { return std::string(tested.param.label); });

} // namespace

// Every method, "Быстрый" with its one pass too: the content leaves the
// medium where the file system overwrites in place, and is reported where it
// does not; the run adds no copy of a listed name to the medium (the journal
// keeps no more than before it), or says once that the file system keeps
// them; values of user.* attributes are reported as possibly kept; a flash
// medium is said once; and nothing else is reported. Once the folders are
// gone, a wipe of the free space leaves no old byte and no name.
TEST_P(Media, ContentNamesAndAttributesLeaveTheMediumOrTheRunSaysSo)
{
    const MediumCase& medium = GetParam();
    const std::string why = Mount(medium.type, medium.flash, medium.options);
    if (!why.empty())
        GTEST_SKIP() << Loudly(std::string(medium.type) + ": " + why);
    MakeTrees();
    const std::map<std::string, std::size_t> before = NamesNow();
    ASSERT_EQ(before.size(), 4u * 60u);
    ASSERT_TRUE(Mounted());
    for (int method = MethodFast; method <= MethodDoD; ++method) {
        view = RecordingView();
        ListFolder(Folder(method));
        Shredder.Run(method);
        EXPECT_FALSE(Exists(Folder(method) + "/large"));
        EXPECT_FALSE(Exists(Folder(method) + "/below/" + NameOf(method, 5)));
        EXPECT_EQ(Reported(medium.names, mountPoint), 1u) << method;
        EXPECT_EQ(Reported(Remains::Flash, mountPoint), medium.flash ? 1u : 0u) << method;
        EXPECT_EQ(Reported(Remains::AttributesKept), 3u) << method;
        EXPECT_EQ(Reported(Remains::NotInPlace), medium.inPlace ? 0u : 63u) << method;
        std::size_t all = 0;
        for (const RunReport& report : view.reports)
            all += report.items.size();
        EXPECT_EQ(all, Reported(medium.names) + Reported(Remains::Flash) + Reported(Remains::AttributesKept) +
                           Reported(Remains::NotInPlace))
            << method;
    }
    if (medium.wipe) {
        for (int method = MethodFast; method <= MethodDoD; ++method)
            RemoveTree(Folder(method));
        Shredder.WipeFreeSpace({mountPoint});
        EXPECT_EQ(view.wipeReports.at(0).fileSystems.at(0).end, WipeEnd::Wiped);
    }
    const std::map<std::string, std::size_t> after = NamesNow();
    // Where the old extents are reported, a later write may still have landed
    // on them: btrfs reuses what a committed run freed, so only a medium said
    // clean must hold no marker.
    for (int method = MethodFast; method <= MethodDoD && (medium.inPlace || medium.wipe); ++method)
        EXPECT_EQ(MarkersLeft(method), 0u) << method;
    if (medium.wipe) {
        EXPECT_TRUE(after.empty()) << after.size() << " names left";
    }
    std::size_t more = 0;
    for (const auto& [name, count] : after)
        more += !before.contains(name) || count > before.at(name) ? 1u : 0u;
    if (medium.names == Remains::NamesInJournal) {
        EXPECT_EQ(more, 0u) << "names with more copies after the run than before it";
    }
}

// The same loop images, outside the table.
class RealDisk : public Media {};

// A file the system refuses ends the run, left as it was, and the report
// shown first says why in words a user can act on.
TEST_F(RealDisk, RefusedFileIsReportedWithWhy)
{
    const std::string why = Mount("ext4", false);
    if (!why.empty())
        GTEST_SKIP() << Loudly("ext4: " + why);
    const std::string file = mountPoint + "/refused";
    using Case = std::tuple<std::string, std::string, Remains>; // refused by, allowed again by
    for (const auto& [refuse, allow, reason] :
         {Case{"chattr +i " + file, "chattr -i " + file, Remains::WriteProtected},
          Case{"chattr +a " + file, "chattr -a " + file, Remains::WriteProtected},
          Case{"mount -o remount,ro " + mountPoint, "mount -o remount,rw " + mountPoint,
               Remains::ReadOnlyFileSystem}}) {
        view = RecordingView();
        WriteFile(file, "kept");
        ASSERT_TRUE(Shell(refuse)) << refuse;
        ListFile(file);
        EXPECT_THROW(Shredder.Run(MethodBalanced), std::exception) << refuse;
        EXPECT_TRUE(Shell(allow)) << allow;
        EXPECT_EQ(view.reports.at(0).items.at(0).why, reason) << refuse;
        EXPECT_EQ(ReadFile(file), "kept") << refuse;
    }
}

// Never a full disk left behind: the data goes with the program, stopped or
// killed, in files without a name or in files unlinked as soon as made, and
// the guard takes the names and the folder. "Стоп" is answered within 50 ms.
TEST_F(RealDisk, AWipeStoppedOrKilledGivesTheFreeSpaceBack)
{
    const std::string why = Mount("ext4", false);
    if (!why.empty())
        GTEST_SKIP() << Loudly("ext4: " + why);
    const std::string folder = mountPoint + "/.sorvex-free-space";
    const std::int64_t before = FreeBytes(mountPoint);
    const auto eventually = [](const std::function<bool()>& holds) { // ten seconds at most
        for (int i = 0; i < 1000 && !holds(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return holds();
    };
    using Case = std::tuple<bool, bool, bool>; // with O_TMPFILE, killed (else stopped), while making names
    for (const auto& [unnamed, killed, names] :
         {Case{true, true, false}, Case{false, true, false}, Case{true, true, true}, Case{true, false, false},
          Case{false, false, false}}) {
        const std::string row = std::to_string(unnamed) + std::to_string(killed) + std::to_string(names);
        const auto inPhase = [&, names = names] {
            return names ? Exists(folder + "/n0") : FreeBytes(mountPoint) < before / 2;
        };
        view = RecordingView();
        RefusedForTests().tmpfile = !unnamed;
        if (!killed) {
            std::chrono::steady_clock::time_point pressed;
            view.onPump = [&] {
                if (!Shredder.Stop && inPhase())
                    pressed = std::chrono::steady_clock::now(), Shredder.Stop = true;
            };
            Shredder.WipeFreeSpace({mountPoint});
            EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::milliseconds(50)) << row;
            EXPECT_EQ(view.wipeReports.at(0).fileSystems.at(0).end, WipeEnd::Stopped) << row;
        } else if (const pid_t wipe = ::fork(); wipe == 0) {
            Shredder.WipeFreeSpace({mountPoint});
            ::_exit(0);
        } else {
            EXPECT_TRUE(eventually(inPhase)) << row << ": the wipe never came that far";
            ::kill(wipe, SIGKILL);
            ::waitpid(wipe, nullptr, 0);
        }
        // As the kernel frees the files and the guard removes the folder.
        EXPECT_TRUE(eventually([&] { return FreeBytes(mountPoint) >= before - before / 100; })) << row;
        EXPECT_TRUE(eventually([&] { return !Exists(folder); })) << row;
    }
    RefusedForTests().tmpfile = false;
}
