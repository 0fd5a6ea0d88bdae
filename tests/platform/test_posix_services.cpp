#include "platform/PosixServices.h"
#include "tests/platform/ReadEntries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvex;

namespace {

using namespace std::chrono_literals;
using sorvex::FolderListing;
using sorvex::PathKind;
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

class PosixServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sorvex-platform-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

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
    std::string root_;
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
    ASSERT_TRUE(fs.ListFolder(root_, false, out));
    EXPECT_EQ(SortedEntries(out), (Entries{{".cache", true},
                                           {".hidden", false},
                                           {"dangling", false},
                                           {"plain", false},
                                           {"sub", true},
                                           {"toSub", false}}));
}

TEST_F(PosixServicesTest, NamesThatAreNotUtf8WorkByteForByte)
{
    const std::string badFolder = "bad\xff\xfe";
    const std::string badFile = "x\x80\xc3";
    Folder(badFolder);
    File(badFolder + "/" + badFile);

    FolderListing out;
    ASSERT_TRUE(fs.ListFolder(root_, false, out));
    EXPECT_EQ(SortedEntries(out), (Entries{{badFolder, true}}));
    ASSERT_TRUE(fs.ListFolder(At(badFolder), false, out));
    EXPECT_EQ(SortedEntries(out), (Entries{{badFile, false}}));

    const int fd = fs.OpenForWriting(At(badFolder + "/" + badFile));
    EXPECT_GE(fd, 0);
    fs.Close(fd);
}

TEST_F(PosixServicesTest, ListsALinkToAFolderOnlyWhenFollowingLinks)
{
    Folder("real");
    File("real/inside");
    const std::string linkPath = Link("link", "real");

    FolderListing out;
    for (const std::string& asked : {linkPath, linkPath + "/", linkPath + "//"}) {
        out.Add("stale", false);
        EXPECT_FALSE(fs.ListFolder(asked, false, out)) << asked;
        EXPECT_TRUE(out.Empty());
        ASSERT_TRUE(fs.ListFolder(asked, true, out)) << asked;
        EXPECT_EQ(SortedEntries(out), (Entries{{"inside", false}}));
    }
    ASSERT_TRUE(fs.ListFolder(At("real/"), false, out));
    EXPECT_EQ(SortedEntries(out), (Entries{{"inside", false}}));
}

// Where the file system does not tell an entry's type, it is looked up
// without following a link: a link to a folder is no folder.
TEST_F(PosixServicesTest, EntryOfUnknownTypeIsAFolderOnlyWhenItIsOne)
{
    Folder("real");
    File("plain");
    Link("link", "real");
    const int dir = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dir, 0);
    EXPECT_TRUE(IsFolderEntry(dir, "real", DT_UNKNOWN));
    EXPECT_FALSE(IsFolderEntry(dir, "plain", DT_UNKNOWN));
    EXPECT_FALSE(IsFolderEntry(dir, "link", DT_UNKNOWN));
    EXPECT_FALSE(IsFolderEntry(dir, "missing", DT_UNKNOWN));
    EXPECT_TRUE(IsFolderEntry(dir, "link", DT_DIR)) << "a known type is taken as it is";
    EXPECT_FALSE(IsFolderEntry(dir, "real", DT_LNK));
    ::close(dir);
}

TEST_F(PosixServicesTest, ListingFailsForWhatIsNotAFolder)
{
    FolderListing out;
    out.Add("stale", false);
    EXPECT_FALSE(fs.ListFolder(At("missing"), true, out));
    EXPECT_TRUE(out.Empty());
    EXPECT_FALSE(fs.ListFolder(File("plain"), true, out));

    const std::string pipe = Fifo("pipe");
    EXPECT_EQ(ExitCodeInChild([&] { return fs.ListFolder(pipe, true, out) ? 1 : 0; }), 0);
}

TEST_F(PosixServicesTest, InspectReportsKindAndLinkCountWithoutFollowing)
{
    const std::string plain = File("plain");
    EXPECT_EQ(fs.Inspect(plain).kind, PathKind::Regular);
    EXPECT_EQ(fs.Inspect(plain).links, 1u);
    ASSERT_EQ(::link(plain.c_str(), At("second").c_str()), 0);
    EXPECT_EQ(fs.Inspect(plain).links, 2u);

    EXPECT_EQ(fs.Inspect(Link("toPlain", "plain")).kind, PathKind::Link);
    EXPECT_EQ(fs.Inspect(Link("dangling", "nowhere")).kind, PathKind::Link);
    EXPECT_EQ(fs.Inspect(Folder("sub")).kind, PathKind::Other);
    EXPECT_EQ(fs.Inspect(Fifo("pipe")).kind, PathKind::Other);
    EXPECT_EQ(fs.Inspect(At("missing")).kind, PathKind::Missing);
}

TEST_F(PosixServicesTest, MakeWritableAddsOwnerWriteToARegularFileOnly)
{
    const std::string readOnly = File("readOnly");
    ::chmod(readOnly.c_str(), 0444);
    fs.MakeWritable(readOnly);
    EXPECT_EQ(ModeOf(readOnly), 0644u);

    const std::string target = File("target");
    ::chmod(target.c_str(), 0444);
    fs.MakeWritable(Link("toTarget", "target"));
    EXPECT_EQ(ModeOf(target), 0444u);

    const std::string sub = Folder("sub");
    ::chmod(sub.c_str(), 0555);
    fs.MakeWritable(sub);
    EXPECT_EQ(ModeOf(sub), 0555u);
}

TEST_F(PosixServicesTest, OpenStartsAtTheFirstByteWithoutTruncating)
{
    const std::string path = File("text", "hello world");
    const int fd = fs.OpenForWriting(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_EQ(fs.Size(fd), 11);
    EXPECT_EQ(fs.Write(fd, "J", 1), 1);
    EXPECT_TRUE(fs.Flush(fd));
    fs.Close(fd);
    EXPECT_EQ(ContentOf(path), "Jello world");
}

TEST_F(PosixServicesTest, OpenRefusesWhatIsNotAnExistingRegularFile)
{
    EXPECT_EQ(fs.OpenForWriting(At("missing")), -1);
    EXPECT_EQ(fs.Inspect(At("missing")).kind, PathKind::Missing);

    const std::string target = File("target", "keep me");
    ::chmod(target.c_str(), 0444);
    EXPECT_EQ(fs.OpenForWriting(Link("toTarget", "target")), -1);
    EXPECT_EQ(ContentOf(target), "keep me");
    EXPECT_EQ(ModeOf(target), 0444u);

    EXPECT_EQ(fs.OpenForWriting(Folder("sub")), -1);
    EXPECT_EQ(fs.OpenForWriting("/dev/null"), -1);
}

TEST_F(PosixServicesTest, OpenRefusesAFifoWithOrWithoutAReaderAndNeverBlocks)
{
    const std::string pipe = Fifo("pipe");
    EXPECT_EQ(ExitCodeInChild([&] { return fs.OpenForWriting(pipe) == -1 ? 0 : 1; }), 0);

    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(ExitCodeInChild([&] { return fs.OpenForWriting(pipe) == -1 ? 0 : 1; }), 0);
    ::close(reader);
}

// Checked with flock directly too: the lease check alone would also refuse
// the second open wherever leases work.
TEST_F(PosixServicesTest, OpenHoldsAnExclusiveLockUntilClosed)
{
    const std::string path = File("shared");
    const int first = fs.OpenForWriting(path);
    ASSERT_GE(first, 0);
    EXPECT_EQ(fs.OpenForWriting(path), -1);
    const int outsider = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(outsider, 0);
    EXPECT_NE(::flock(outsider, LOCK_EX | LOCK_NB), 0);
    fs.Close(first);
    EXPECT_EQ(::flock(outsider, LOCK_EX | LOCK_NB), 0);
    ::close(outsider);

    const int again = fs.OpenForWriting(path);
    EXPECT_GE(again, 0);
    fs.Close(again);
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
    EXPECT_EQ(fs.OpenForWriting(path), -1);
    EndProcess(other);
    const int fd = fs.OpenForWriting(path);
    EXPECT_GE(fd, 0);
    fs.Close(fd);
}

TEST_F(PosixServicesTest, BadDescriptorsReportFailure)
{
    EXPECT_EQ(fs.Size(-1), -1);
    EXPECT_EQ(fs.Write(-1, "x", 1), -1);
    EXPECT_FALSE(fs.Flush(-1));
}

TEST_F(PosixServicesTest, RemoveDeletesALinkNotItsTarget)
{
    const std::string target = File("target");
    const std::string linkPath = Link("toTarget", "target");
    fs.Remove(linkPath);
    EXPECT_EQ(fs.Inspect(linkPath).kind, PathKind::Missing);
    EXPECT_EQ(fs.Inspect(target).kind, PathKind::Regular);
    fs.Remove(target);
    EXPECT_EQ(fs.Inspect(target).kind, PathKind::Missing);
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
