#include "platform/FileSystems.h"
#include "platform/Identity.h"
#include "platform/PosixServices.h"
#include "tests/platform/ReadEntries.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvex;

namespace {

using namespace std::chrono_literals;
using sorvex::FolderListing;
Entries SortedEntries(FolderListing& listing)
{
    Entries entries = ReadEntries(listing);
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string ContentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

void EndProcess(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Runs body in a child process and returns its exit code, or -1 when it did
// not finish in time (the child is then killed): a hang fails the test
// instead of stalling the whole run.
template <class Body>
int ExitCodeInChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    for (auto waited = 0ms; waited < 2s; waited += 10ms) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(10ms);
    }
    EndProcess(pid);
    return -1;
}

// Another process holding path open: a child inherits the only descriptor
// and waits until killed.
pid_t HoldOpenInAnotherProcess(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::pause();
        ::_exit(0);
    }
    ::close(fd);
    return pid;
}

// The program at path running in a child, once it is running.
pid_t RunProgram(const std::string& path)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(path.c_str(), "sleep", "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    std::error_code notYet;
    for (auto waited = 0ms; waited < 2s && std::filesystem::read_symlink(exe, notYet) != path; waited += 10ms)
        std::this_thread::sleep_for(10ms);
    return pid;
}

class PosixServicesTest : public ::testing::Test {
protected:
    // The test's folder, opened as a run opens a listed one.
    int Dir()
    {
        if (!dir_.IsOpen())
            dir_ = fs.OpenFolder(root_, true).fd;
        return dir_.Get();
    }
    FileId IdOf(const std::string& name)
    {
        struct stat st {};
        ::lstat(At(name).c_str(), &st);
        return {st.st_dev, st.st_ino};
    }
    // Opens name in the test's folder for writing, as the file found there now.
    UniqueFd OpenToWrite(const std::string& name, Refusal* why = nullptr)
    {
        Opened opened = fs.OpenForWriting(Dir(), name, IdOf(name));
        if (why != nullptr)
            *why = opened.why;
        return std::move(opened.fd);
    }

    std::string At(const std::string& name) const { return root_ + "/" + name; }
    std::string File(const std::string& name, const std::string& content = "content")
    {
        std::ofstream(At(name), std::ios::binary) << content;
        return At(name);
    }
    std::string Folder(const std::string& name)
    {
        EXPECT_EQ(::mkdir(At(name).c_str(), 0755), 0);
        return At(name);
    }
    std::string Link(const std::string& name, const std::string& target)
    {
        EXPECT_EQ(::symlink(target.c_str(), At(name).c_str()), 0);
        return At(name);
    }
    std::string Fifo(const std::string& name)
    {
        EXPECT_EQ(::mkfifo(At(name).c_str(), 0644), 0);
        return At(name);
    }

    sorvex::FileServices& fs = sorvex::SystemServices();
    TempTree tree_;
    const std::string root_ = tree_.path();
    UniqueFd dir_;
};

TEST_F(PosixServicesTest, ListsHiddenEntriesWithoutDotsAndNeverCallsALinkAFolder)
{
    File(".hidden");
    File("plain");
    Folder(".cache");
    Folder("sub");
    Link("toSub", "sub");
    Link("dangling", "nowhere");

    FolderListing out;
    ASSERT_EQ(fs.ListFolder(Dir(), out), Listed::Whole);
    EXPECT_EQ(SortedEntries(out), (Entries{{".cache", true},
                                           {".hidden", false},
                                           {"dangling", false},
                                           {"plain", false},
                                           {"sub", true},
                                           {"toSub", false}}));
    // Each entry comes with the identity the file itself has.
    ASSERT_EQ(fs.ListFolder(Dir(), out), Listed::Whole);
    std::string_view name;
    bool isFolder = false;
    FileId id;
    while (out.Next(name, isFolder, id))
        EXPECT_EQ(id, IdOf(std::string(name))) << name;
}

TEST_F(PosixServicesTest, NamesThatAreNotUtf8WorkByteForByte)
{
    const std::string badFolder = "bad\xff\xfe";
    const std::string badFile = "x\x80\xc3";
    Folder(badFolder);
    File(badFolder + "/" + badFile);

    FolderListing out;
    ASSERT_EQ(fs.ListFolder(Dir(), out), Listed::Whole);
    EXPECT_EQ(SortedEntries(out), (Entries{{badFolder, true}}));
    const Opened sub = fs.OpenSubfolder(Dir(), badFolder);
    ASSERT_TRUE(sub.fd.IsOpen());
    ASSERT_EQ(fs.ListFolder(sub.fd.Get(), out), Listed::Whole);
    EXPECT_EQ(SortedEntries(out), (Entries{{badFile, false}}));
    EXPECT_TRUE(fs.OpenForWriting(sub.fd.Get(), badFile, IdOf(badFolder + "/" + badFile)).fd.IsOpen());
}

// A listed folder is opened by the user's path, but its own last name must
// be the folder, never a link to one, whatever separators follow it.
TEST_F(PosixServicesTest, ListedFolderIsNeverALinkToOne)
{
    Folder("real");
    File("real/inside");
    const std::string linkPath = Link("link", "real");
    for (const std::string& asked : {linkPath, linkPath + "/", linkPath + "//"}) {
        const Opened listed = fs.OpenFolder(asked, true);
        EXPECT_FALSE(listed.fd.IsOpen()) << asked;
        EXPECT_EQ(listed.why, Refusal::Changed);
        EXPECT_TRUE(fs.OpenFolder(asked, false).fd.IsOpen())
            << "the folder of a listed file may be reached through a link";
    }
    const Opened real = fs.OpenFolder(At("real/"), true);
    ASSERT_TRUE(real.fd.IsOpen());
    FolderListing out;
    ASSERT_EQ(fs.ListFolder(real.fd.Get(), out), Listed::Whole);
    EXPECT_EQ(SortedEntries(out), (Entries{{"inside", false}}));

    EXPECT_EQ(fs.OpenFolder(At("missing"), true).why, Refusal::Missing);
    EXPECT_EQ(fs.OpenFolder(File("plain"), true).why, Refusal::Changed);
    const std::string pipe = Fifo("pipe");
    EXPECT_EQ(ExitCodeInChild([&] { return fs.OpenFolder(pipe, true).fd.IsOpen() ? 1 : 0; }), 0) << "never waits";
}

// Below a listed folder only a real folder is entered: by its bare name,
// never a link, never "..", never a name with a "/" in it.
TEST_F(PosixServicesTest, SubfolderIsOnlyARealFolderByItsBareName)
{
    Folder("real");
    Folder("real/deeper");
    Link("link", "real");
    File("plain");
    Fifo("pipe");
    const struct {
        const char* name;
        Refusal why;
    } refused[] = {{"link", Refusal::Changed},        {"plain", Refusal::Changed}, {"pipe", Refusal::Changed},
                   {"missing", Refusal::Missing},     {"..", Refusal::Changed},    {".", Refusal::Changed},
                   {"real/deeper", Refusal::Changed}, {"", Refusal::Changed}};
    for (const auto& name : refused) {
        const Opened sub = fs.OpenSubfolder(Dir(), name.name);
        EXPECT_FALSE(sub.fd.IsOpen()) << name.name;
        EXPECT_EQ(sub.why, name.why) << name.name;
    }
    const Opened real = fs.OpenSubfolder(Dir(), "real");
    ASSERT_TRUE(real.fd.IsOpen());
    EXPECT_EQ(fs.IdOf(real.fd.Get()), IdOf("real"));
}

TEST_F(PosixServicesTest, SubfolderIsNeverAnotherMount)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting needs root";
    const std::string mounted = Folder("mounted");
    if (std::system(("mount -t tmpfs none " + mounted + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    const Opened sub = fs.OpenSubfolder(Dir(), "mounted");
    EXPECT_FALSE(sub.fd.IsOpen());
    EXPECT_EQ(sub.why, Refusal::OtherMount);
    EXPECT_EQ(std::system(("umount " + mounted).c_str()), 0);
}

// Where the file system does not tell an entry's type, it is looked up
// without following a link: a link to a folder is no folder.
TEST_F(PosixServicesTest, EntryOfUnknownTypeIsAFolderOnlyWhenItIsOne)
{
    Folder("real");
    File("plain");
    Link("link", "real");
    EXPECT_TRUE(IsFolderEntry(Dir(), "real", DT_UNKNOWN));
    EXPECT_FALSE(IsFolderEntry(Dir(), "plain", DT_UNKNOWN));
    EXPECT_FALSE(IsFolderEntry(Dir(), "link", DT_UNKNOWN));
    EXPECT_FALSE(IsFolderEntry(Dir(), "missing", DT_UNKNOWN));
    EXPECT_TRUE(IsFolderEntry(Dir(), "link", DT_DIR)) << "a known type is taken as it is";
    EXPECT_FALSE(IsFolderEntry(Dir(), "real", DT_LNK));
}

TEST_F(PosixServicesTest, InspectReportsKindIdentityAndLinkCountWithoutFollowing)
{
    File("plain");
    EXPECT_EQ(fs.Inspect(Dir(), "plain").kind, NodeKind::Regular);
    EXPECT_EQ(fs.Inspect(Dir(), "plain").links, 1u);
    EXPECT_EQ(fs.Inspect(Dir(), "plain").id, IdOf("plain"));
    ASSERT_EQ(::link(At("plain").c_str(), At("second").c_str()), 0);
    EXPECT_EQ(fs.Inspect(Dir(), "plain").links, 2u);

    Link("toPlain", "plain");
    EXPECT_EQ(fs.Inspect(Dir(), "toPlain").kind, NodeKind::Link);
    EXPECT_EQ(fs.Inspect(Dir(), "toPlain").id, IdOf("toPlain"));
    Link("dangling", "nowhere");
    EXPECT_EQ(fs.Inspect(Dir(), "dangling").kind, NodeKind::Link);
    Folder("sub");
    EXPECT_EQ(fs.Inspect(Dir(), "sub").kind, NodeKind::Folder);
    Fifo("pipe");
    EXPECT_EQ(fs.Inspect(Dir(), "pipe").kind, NodeKind::Special);
    EXPECT_EQ(fs.Inspect(Dir(), "missing").kind, NodeKind::Missing);
    EXPECT_EQ(fs.Inspect(Dir(), "sub/../plain").kind, NodeKind::Missing) << "a bare name only";
    // A look that fails is no proof the name is gone, nor that it was removed.
    const std::string tooLong(300, 'n');
    EXPECT_EQ(fs.Inspect(Dir(), tooLong).kind, NodeKind::Unknown);
    EXPECT_FALSE(fs.Remove(Dir(), tooLong, {}));
}

TEST_F(PosixServicesTest, OpenStartsAtTheFirstByteWithoutTruncatingAndWritesWhereAsked)
{
    const std::string path = File("text", "hello world");
    const UniqueFd file = OpenToWrite("text");
    const int fd = file.Get();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_ACCMODE, O_WRONLY);
    EXPECT_EQ(fs.Size(fd), 11);
    EXPECT_EQ(fs.Write(fd, "J", 1, 0), 1);
    EXPECT_EQ(fs.Write(fd, "W", 1, 6), 1);
    EXPECT_TRUE(fs.Flush(fd));
    EXPECT_EQ(ContentOf(path), "Jello World");
}

TEST_F(PosixServicesTest, OpenGivesTheOwnerWritePermissionFirst)
{
    const std::string readOnly = File("readOnly");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_TRUE(OpenToWrite("readOnly").IsOpen());
    EXPECT_EQ(ModeOf(readOnly), 0644u);
}

// Only the regular file found is ever opened for writing, and nothing else is
// touched on the way: not a link's target, not its mode.
TEST_F(PosixServicesTest, OpenRefusesAnythingButTheRegularFileFound)
{
    const std::string target = File("target", "keep me");
    ::chmod(target.c_str(), 0444);
    Link("toTarget", "target");
    Folder("sub");
    File("other");
    Refusal why = Refusal::None;
    EXPECT_FALSE(OpenToWrite("toTarget", &why).IsOpen());
    EXPECT_EQ(why, Refusal::Changed);
    EXPECT_EQ(ContentOf(target), "keep me");
    EXPECT_EQ(ModeOf(target), 0444u);
    EXPECT_FALSE(OpenToWrite("sub", &why).IsOpen());
    EXPECT_EQ(why, Refusal::Changed);
    EXPECT_FALSE(OpenToWrite("missing", &why).IsOpen());
    EXPECT_EQ(why, Refusal::Missing);
    // The name now names another file than the one found before.
    const Opened other = fs.OpenForWriting(Dir(), "target", IdOf("other"));
    EXPECT_FALSE(other.fd.IsOpen());
    EXPECT_EQ(other.why, Refusal::Changed);
    EXPECT_EQ(ModeOf(target), 0444u);
}

// A FIFO is never opened: a reader waiting on it is not woken, and the open
// never waits for one.
TEST_F(PosixServicesTest, FifoIsNeverOpenedWithOrWithoutAReader)
{
    Fifo("pipe");
    EXPECT_EQ(ExitCodeInChild([&] { return OpenToWrite("pipe").IsOpen() ? 1 : 0; }), 0);

    std::atomic<bool> woken = false;
    std::thread reader([&] {
        const int fd = ::open(At("pipe").c_str(), O_RDONLY); // waits for a writer
        woken = true;
        ::close(fd);
    });
    std::this_thread::sleep_for(50ms);
    Refusal why = Refusal::None;
    EXPECT_FALSE(OpenToWrite("pipe", &why).IsOpen());
    EXPECT_EQ(why, Refusal::Changed);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(woken) << "the reader was released: the FIFO was opened";
    const int release = ::open(At("pipe").c_str(), O_WRONLY | O_NONBLOCK);
    reader.join();
    ::close(release);
}

TEST_F(PosixServicesTest, DeviceNodeIsNeverOpened)
{
    if (::mknod(At("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        GTEST_SKIP() << "making a device node needs root";
    Refusal why = Refusal::None;
    EXPECT_FALSE(OpenToWrite("null", &why).IsOpen());
    EXPECT_EQ(why, Refusal::Changed);
}

// Checked with flock directly too: the lease check alone would also refuse
// the second open wherever leases work.
TEST_F(PosixServicesTest, OpenHoldsAnExclusiveLockUntilClosed)
{
    const std::string path = File("shared");
    UniqueFd first = OpenToWrite("shared");
    ASSERT_TRUE(first.IsOpen());
    Refusal why = Refusal::None;
    EXPECT_FALSE(OpenToWrite("shared", &why).IsOpen());
    EXPECT_EQ(why, Refusal::Busy);
    const int outsider = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(outsider, 0);
    EXPECT_NE(::flock(outsider, LOCK_EX | LOCK_NB), 0);
    first.Reset();
    EXPECT_EQ(::flock(outsider, LOCK_EX | LOCK_NB), 0);
    ::close(outsider);

    EXPECT_TRUE(OpenToWrite("shared").IsOpen());
}

TEST_F(PosixServicesTest, OpenRefusesAFileAnotherProcessHasOpen)
{
    const std::string path = File("busy");
    const int probe = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    const bool leases = ::fcntl(probe, F_SETLEASE, F_WRLCK) == 0;
    const std::string why = std::strerror(errno);
    ::close(probe);
    if (!leases)
        GTEST_SKIP() << "no file leases on /tmp here: " << why;

    const pid_t other = HoldOpenInAnotherProcess(path);
    EXPECT_FALSE(OpenToWrite("busy").IsOpen());
    EndProcess(other);
    EXPECT_TRUE(OpenToWrite("busy").IsOpen());
}

TEST_F(PosixServicesTest, BadDescriptorsReportFailure)
{
    EXPECT_EQ(fs.Size(-1), -1);
    EXPECT_EQ(fs.Write(-1, "x", 1, 0), -1);
    EXPECT_FALSE(fs.Flush(-1));
    ExtentMap map{{0, 0, 1, 0}};
    EXPECT_FALSE(fs.ReadExtents(-1, map));
    EXPECT_TRUE(map.empty());
}

// A name is removed only while it is still the file found: a link as a link,
// never its target; a name that now holds another file stays.
TEST_F(PosixServicesTest, RemoveTakesTheNameOnlyWhileItIsTheFileFound)
{
    File("target");
    Link("toTarget", "target");
    EXPECT_TRUE(fs.Remove(Dir(), "toTarget", IdOf("toTarget")));
    EXPECT_EQ(fs.Inspect(Dir(), "toTarget").kind, NodeKind::Missing);
    EXPECT_EQ(fs.Inspect(Dir(), "target").kind, NodeKind::Regular);

    File("other");
    EXPECT_FALSE(fs.Remove(Dir(), "target", IdOf("other")));
    EXPECT_EQ(fs.Inspect(Dir(), "target").kind, NodeKind::Regular);
    EXPECT_TRUE(fs.Remove(Dir(), "target", IdOf("target")));
    EXPECT_TRUE(fs.Remove(Dir(), "target", IdOf("other"))) << "a name already gone is removed";
}

// Where the map can be read, it places every byte of a flushed file.
TEST_F(PosixServicesTest, ExtentMapCoversAFlushedFile)
{
    File("data", std::string(100000, 'd'));
    const UniqueFd file = OpenToWrite("data");
    const int fd = file.Get();
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(fs.Flush(fd));
    ExtentMap map;
    if (!fs.ReadExtents(fd, map))
        GTEST_SKIP() << "this file system gives no extent map";
    std::uint64_t covered = 0;
    for (const Extent& e : map) {
        EXPECT_EQ(e.logical, covered);
        EXPECT_EQ(e.flags & (Extent::Delayed | Extent::Unknown), 0u);
        covered += e.length;
    }
    EXPECT_GE(covered, 100000u);
}

TEST(FileSystems, TheKernelsOwnAreSystemAndMemoryOnesOverwriteInPlace)
{
    EXPECT_TRUE(ClassifyFileSystem(0x9fa0 /* proc */, "proc").system);
    EXPECT_TRUE(ClassifyFileSystem(0x62656572 /* sysfs */, "sysfs").system);
    EXPECT_TRUE(ClassifyFileSystem(0x63677270 /* cgroup2 */, "cgroup2").system);
    EXPECT_TRUE(ClassifyFileSystem(0x01021994 /* tmpfs */, "devtmpfs").system);
    const FileSystemInfo tmpfs = ClassifyFileSystem(0x01021994, "tmpfs");
    EXPECT_FALSE(tmpfs.system);
    EXPECT_TRUE(tmpfs.overwritesInPlace);
    const FileSystemInfo ext4 = ClassifyFileSystem(0xEF53, "ext4");
    EXPECT_FALSE(ext4.system);
    EXPECT_FALSE(ext4.overwritesInPlace);
    EXPECT_FALSE(ClassifyFileSystem(0x9123683E /* btrfs */, "btrfs").overwritesInPlace);

    auto& fs = sorvex::SystemServices();
    for (const char* kernel : {"/proc", "/sys"}) {
        const Opened folder = fs.OpenFolder(kernel, true);
        ASSERT_TRUE(folder.fd.IsOpen()) << kernel;
        EXPECT_TRUE(fs.FileSystemOf(folder.fd.Get()).system) << kernel;
    }
}

TEST(PosixServices, IgnoresSigioSoALeaseBreakCannotEndTheProgram)
{
    EXPECT_EQ(&sorvex::SystemServices(), &sorvex::SystemServices());
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGIO, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_IGN);
}

// steady_clock reads CLOCK_MONOTONIC on Linux; a unit or truncation slip in
// tickCount shows up as a reading far from it, not only across a sleep.
TEST(PosixServices, TickCountIsMonotonicMillisecondsCutTo32Bits)
{
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    auto& fs = sorvex::SystemServices();
    const auto steadyMs = [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(duration_cast<milliseconds>(now).count());
    };
    const std::uint32_t expected = steadyMs();
    const std::uint32_t before = fs.TickCount();
    EXPECT_LT(before - expected, 5u);

    std::this_thread::sleep_for(30ms);
    const std::uint32_t elapsed = fs.TickCount() - before;
    EXPECT_GE(elapsed, 29u);
    EXPECT_LT(elapsed, 5000u);
}

} // namespace

// A file refused for a lock or for another program holding it is left as it
// was found, its mode included.
TEST_F(PosixServicesTest, RefusedFileKeepsItsMode)
{
    struct Case {
        const char* holder;
        mode_t mode;
        std::function<std::function<void()>(const std::string& path)> hold; // returns the release
    };
    const Case cases[] = {
        {"a lock on another descriptor", 0400,
         [](const std::string& path) -> std::function<void()> {
             const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
             EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
             return [fd] { ::close(fd); };
         }},
        {"another process holding it open", 0400,
         [](const std::string& path) -> std::function<void()> {
             const pid_t other = HoldOpenInAnotherProcess(path);
             return [other] { EndProcess(other); };
         }},
        {"a program running from it", 0500,
         [](const std::string& path) -> std::function<void()> {
             std::ofstream(path, std::ios::binary) << ContentOf("/bin/sleep");
             const pid_t running = RunProgram(path);
             return [running] { EndProcess(running); };
         }},
    };
    for (const Case& c : cases) {
        const std::string path = File("readOnly");
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        const auto release = c.hold(path);
        Refusal why = Refusal::None;
        const bool opened = OpenToWrite("readOnly", &why).IsOpen();
        release();
        if (opened) // leases say nothing on this file system
            continue;
        EXPECT_EQ(why, Refusal::Busy) << c.holder;
        EXPECT_EQ(ModeOf(path), c.mode) << c.holder;
        ::unlink(path.c_str());
    }
}

TEST(Identity, MountIdIsReadFromTheFdinfoLine)
{
    const std::pair<const char*, std::uint64_t> cases[] = {
        {"pos:\t0\nflags:\t0100000\nmnt_id:\t24\nino:\t3\n", 24},
        {"mnt_id:\t7\n", 7},
        {"pos:\t0\nmnt_id: 1234567890123", 1234567890123},
        {"pos:\t0\nflags:\t0100000\nino:\t3\n", 0},
        {"pos:\t0\nxmnt_id:\t5\n", 0},
        {"mnt_id:\tx\n", 0},
        {"", 0},
    };
    for (const auto& [text, mount] : cases)
        EXPECT_EQ(MountIdInFdinfo(text), mount) << text;
}

TEST(Identity, FolderEntriesCarryTheirInodeOnlyWhereVouchedFor)
{
    const std::pair<unsigned long, bool> cases[] = {
        {0xEF53, true}, // ext2, ext3, ext4
        {0x58465342, true}, // xfs
        {0x9123683E, true}, // btrfs
        {0x01021994, true}, // tmpfs
        {0x65735546, false}, // FUSE (sshfs, ntfs-3g, ...)
        {0x4d44, false}, // vfat
        {0x2011BAB0, false}, // exFAT
        {0x794c7630, false}, // overlay, with xino or without
        {0x6969, false}, // NFS
        {0, false},
    };
    for (const auto& [magic, carried] : cases)
        EXPECT_EQ(EntriesCarryTheirInode(magic), carried) << std::hex << magic;
}

// Whichever way the mount is asked for, it is the same; where none answers,
// it is unknown, and then no subfolder is entered without openat2.
TEST_F(PosixServicesTest, MountIsTheSameByEveryWayAndUnknownWhereNoneAnswers)
{
    Folder("sub");
    const std::uint64_t mount = fs.MountOf(Dir());
    ASSERT_NE(mount, 0u);
    struct Case {
        RefusedCalls refused;
        std::uint64_t mount;
        Refusal entering;
    };
    const Case cases[] = {
        {{false, false, false}, mount, Refusal::None},
        {{true, false, false}, mount, Refusal::None},
        {{true, true, false}, mount, Refusal::None},
        {{true, false, true}, mount, Refusal::None},
        {{true, true, true}, 0, Refusal::OtherMount},
        {{false, true, true}, 0, Refusal::None}, // openat2 tells mounts apart by itself
    };
    for (const Case& c : cases) {
        RefusedForTests() = c.refused;
        const std::string which =
            std::to_string(c.refused.openat2) + std::to_string(c.refused.statx) + std::to_string(c.refused.fdinfo);
        EXPECT_EQ(fs.MountOf(Dir()), c.mount) << which;
        EXPECT_EQ(fs.OpenSubfolder(Dir(), "sub").why, c.entering) << which;
        EXPECT_EQ(fs.Inspect(Dir(), "sub").kind, NodeKind::Folder) << which;
        EXPECT_EQ(fs.Inspect(Dir(), "sub").id, IdOf("sub")) << which;
        EXPECT_EQ(fs.Inspect(Dir(), "sub").mount, c.refused.statx ? 0u : mount) << which;
    }
    RefusedForTests() = {};
}

// Without openat2 a link is still never followed.
TEST_F(PosixServicesTest, WithoutOpenat2ALinkIsStillNoFolder)
{
    Folder("real");
    Link("link", "real");
    RefusedForTests().openat2 = true;
    const Opened link = fs.OpenSubfolder(Dir(), "link");
    EXPECT_FALSE(link.fd.IsOpen());
    EXPECT_EQ(link.why, Refusal::Changed);
    RefusedForTests() = {};
}
