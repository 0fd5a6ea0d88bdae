// Another mount below a folder, a bind mount of the same file system
// included, is never entered or opened: with openat2, and by each of the
// ways round it where a sandbox refuses openat2 (and statx). Needs root to
// mount; reports itself skipped elsewhere.
#include "platform/Identity.h"
#include "platform/PosixServices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

namespace {

bool Shell(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

std::string Loudly(const std::string& why)
{
    std::fprintf(stderr,
                 "\n*** NOT CHECKED: that a bind mount or another mount below a folder is never entered\n"
                 "*** without openat2. MountCrossings skipped: %s\n\n",
                 why.c_str());
    return why;
}

class MountCrossings : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sorvex-mounts-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        for (const char* folder : {"/listed", "/listed/bound", "/listed/tmpfs", "/outside"})
            ASSERT_EQ(::mkdir((root_ + folder).c_str(), 0755), 0);
        std::ofstream(root_ + "/outside/secret") << "secret";
        std::ofstream(root_ + "/listed/file") << "file";
    }
    void TearDown() override
    {
        RefusedForTests() = {};
        for (const std::string& point : mounted_)
            Shell("umount -l " + point);
        if (mounted_.empty() || !Shell("grep -q " + root_ + " /proc/self/mounts"))
            std::filesystem::remove_all(root_);
    }
    // The reason when it cannot.
    std::string Mount(const std::string& how, const std::string& at)
    {
        if (::geteuid() != 0)
            return "mounting needs root";
        if (!Shell("mount " + how + " " + root_ + at))
            return "mount " + how + " failed";
        mounted_.push_back(root_ + at);
        return {};
    }

    std::string root_;
    std::vector<std::string> mounted_;
};

} // namespace

TEST_F(MountCrossings, NoOtherMountIsEnteredByAnyWay)
{
    for (const auto& [how, at] : {std::pair<std::string, std::string>{"--bind " + root_ + "/outside", "/listed/bound"},
                                  {"-t tmpfs none", "/listed/tmpfs"},
                                  {"--bind " + root_ + "/outside/secret", "/listed/file"}}) {
        const std::string why = Mount(how, at);
        if (!why.empty())
            GTEST_SKIP() << Loudly(why);
    }
    FileServices& fs = SystemServices();
    struct Case {
        const char* way;
        RefusedCalls refused;
    };
    const Case cases[] = {
        {"openat2", {}},
        {"statx", {true, false, false}},
        {"fdinfo", {true, true, false}},
        {"no mount id at all", {true, true, true}},
    };
    for (const Case& c : cases) {
        RefusedForTests() = c.refused;
        const Opened opened = fs.OpenFolder(root_ + "/listed", true);
        const int listed = opened.fd.Get();
        ASSERT_GE(listed, 0) << c.way;
        for (const char* folder : {"bound", "tmpfs"}) {
            const Opened sub = fs.OpenSubfolder(listed, folder);
            EXPECT_FALSE(sub.fd.IsOpen()) << c.way << ": " << folder;
            EXPECT_EQ(sub.why, Refusal::OtherMount) << c.way << ": " << folder;
        }
        struct stat st {};
        ASSERT_EQ(::stat((root_ + "/listed/file").c_str(), &st), 0);
        const Opened file = fs.OpenForWriting(listed, "file", {st.st_dev, st.st_ino});
        EXPECT_FALSE(file.fd.IsOpen()) << c.way;
        EXPECT_EQ(file.why, Refusal::OtherMount) << c.way << ": a file mounted over a file's name";
    }
    std::ifstream secret(root_ + "/outside/secret");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(secret), {}), "secret");
}
