// Whole runs over real mounts a desktop meets: a bind mount of the same file
// system below a listed folder, in a sandbox that refuses openat2; folders on
// sshfs (FUSE), vfat and exFAT, whose folder entries carry no inode numbers a
// look at the name gives; a file in the upper layer of an overlay, whose
// device is not its folder's. Needs root, FUSE, sshd, loop devices and
// overlay; reports itself skipped elsewhere, saying what was not checked.
#include "tests/support/EngineTest.h"
#include "tests/support/RealMedium.h"

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvex;
using namespace std::chrono_literals;

namespace {

std::string Loudly(const std::string& what, const std::string& why)
{
    return ::Loudly(what, why, "FUSE, sshd and overlay are at hand");
}

// Whether the run reported path (any path where empty) for why.
bool Reported(const RecordingView& view, Remains why, const std::string& path = {})
{
    for (const RunReport& report : view.reports) {
        for (const RunReport::Item& item : report.items) {
            if (item.why == why && (path.empty() || item.path == path))
                return true;
        }
    }
    return false;
}

// A port nobody listens on at the moment.
int FreePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

bool Answers(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool answered = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return answered;
}

// An sshd of the test's own on 127.0.0.1, letting root in by a key made for it.
class SshServer {
public:
    ~SshServer()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    // The reason when it cannot start.
    std::string Start(const std::string& dir)
    {
        if (!Shell("test -x /usr/sbin/sshd && command -v ssh-keygen && command -v sshfs"))
            return "sshd, ssh-keygen or sshfs is not installed";
        key = dir + "/client_key";
        if (!Shell("ssh-keygen -q -t ed25519 -N '' -f " + dir + "/host_key") ||
            !Shell("ssh-keygen -q -t ed25519 -N '' -f " + key) ||
            !Shell("cp " + key + ".pub " + dir + "/authorized_keys && mkdir -p /run/sshd"))
            return "the keys could not be made";
        port = FreePort();
        const std::string config = dir + "/sshd_config";
        WriteFile(config, "ListenAddress 127.0.0.1\nHostKey " + dir + "/host_key\nPermitRootLogin prohibit-password\n" +
                              "AuthorizedKeysFile " + dir + "/authorized_keys\nPasswordAuthentication no\n" +
                              "KbdInteractiveAuthentication no\nUsePAM yes\nStrictModes no\nPidFile none\n" +
                              "Subsystem sftp internal-sftp\n");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/usr/sbin/sshd", "/usr/sbin/sshd", "-D", "-f", config.c_str(), "-p", std::to_string(port).c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (auto waited = 0ms; waited < 5s; waited += 50ms) {
            if (Answers(port))
                return {};
            std::this_thread::sleep_for(50ms);
        }
        return "sshd did not start";
    }

    std::string key;
    int port = 0;

private:
    pid_t pid_ = -1;
};

// Makes this process's openat2 fail with EPERM, as a sandbox's filter does.
bool RefuseOpenat2()
{
#if defined(__x86_64__)
    constexpr std::uint32_t Arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr std::uint32_t Arch = AUDIT_ARCH_AARCH64;
#else
    return false;
#endif
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, Arch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) == 0;
}

class RealMounts : public EngineTest {
protected:
    void TearDown() override
    {
        for (auto point = mounted_.rbegin(); point != mounted_.rend(); ++point)
            Shell("umount " + *point + " || umount -l " + *point);
        EngineTest::TearDown();
    }
    // The reason when it cannot.
    std::string Mount(const std::string& command, const std::string& point)
    {
        if (::geteuid() != 0)
            return "mounting needs root";
        MakeFolder(point);
        if (!Shell(command + " " + point))
            return "could not run: " + command;
        mounted_.push_back(point);
        return {};
    }
    // A listed folder with a file of its own and one in a subfolder, and a
    // folder outside the list bind-mounted below it.
    std::string BindMountBelow(const std::string& listed)
    {
        if (!Exists(tree / "outside")) {
            MakeFolder(tree / "outside");
            WriteFile(tree / "outside/secret", "secret");
        }
        MakeFolder(listed);
        MakeFolder(listed + "/inner");
        WriteFile(listed + "/a", "listed");
        WriteFile(listed + "/inner/b", "listed");
        return Mount("mount --bind " + (tree / "outside"), listed + "/inner/bound");
    }

    std::vector<std::string> mounted_;
};

} // namespace

// A system call filter refusing openat2 with EPERM, in a child process so
// that the rest of the tests keep openat2 (the other ways round it are in
// the platform's MountCrossings).
TEST_F(RealMounts, BindMountIsNeverEnteredWhereASandboxRefusesOpenat2)
{
    const std::string listed = tree / "listed";
    const std::string why = BindMountBelow(listed);
    if (!why.empty())
        GTEST_SKIP() << Loudly("that a bind mount is never entered under a filter refusing openat2", why);
    ListFolder(listed);
    const pid_t child = ::fork();
    if (child == 0) {
        if (!RefuseOpenat2())
            ::_exit(2);
        if (::syscall(SYS_openat2, AT_FDCWD, "/", nullptr, 0) >= 0 || errno != EPERM)
            ::_exit(3);
        try {
            Shredder.Run(MethodBalanced);
        } catch (...) {
            ::_exit(4);
        }
        ::_exit(Reported(view, Remains::OtherFileSystem, listed + "/inner/bound/") ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << Loudly("that a bind mount is never entered under a filter refusing openat2",
                               "no seccomp filter could be installed");
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: openat2 not refused; 4: the run failed; 5: the mount not reported";
    EXPECT_EQ(ReadFile(tree / "outside/secret"), "secret");
    EXPECT_FALSE(Exists(listed + "/a"));
    EXPECT_FALSE(Exists(listed + "/inner/b"));
}

// sshfs without use_ino: what readdir says of an entry is not its inode.
TEST_F(RealMounts, FolderOnSshfsIsDestroyed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << Loudly("that a folder on sshfs is destroyed", "sshd and mounting need root");
    SshServer server;
    MakeFolder(tree / "ssh");
    std::string why = server.Start(tree / "ssh");
    if (!why.empty())
        GTEST_SKIP() << Loudly("that a folder on sshfs is destroyed", why);
    const std::string served = tree / "served";
    MakeFolder(served);
    MakeFolder(served + "/listed");
    for (const char* name : {"one", "two", "three"})
        WriteFile(served + "/listed/" + name, std::string(10000, 'x'));
    why = Mount("sshfs -p " + std::to_string(server.port) + " -o IdentityFile=" + server.key +
                    ",StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,BatchMode=yes root@127.0.0.1:" + served,
                tree / "client");
    if (!why.empty())
        GTEST_SKIP() << Loudly("that a folder on sshfs is destroyed", why);
    ListFolder(tree / "client/listed");
    Shredder.Run(MethodBalanced);
    EXPECT_FALSE(Reported(view, Remains::Changed)) << "nothing changed during the run";
    EXPECT_FALSE(Reported(view, Remains::OtherFileSystem));
    for (const char* name : {"one", "two", "three"})
        EXPECT_FALSE(Exists(served + "/listed/" + name)) << name;
    EXPECT_EQ(fs.opened.size(), 3u);
}

// USB sticks: on vfat and exFAT a folder entry's inode number is made up for
// the listing, and the inode a look at the name makes gets another. Mounted
// afresh, so nothing is in the cache.
TEST_F(RealMounts, FolderOnAFreshlyMountedStickIsDestroyed)
{
    int checked = 0;
    for (const std::string type : {"vfat", "exfat"}) {
        const std::string image = tree / (type + ".img");
        const std::string point = tree / type;
        std::string why = ::geteuid() != 0 ? "mounting a loop device needs root" : "";
        if (why.empty() &&
            !Shell("command -v mkfs." + type + " && truncate -s 64M " + image + " && mkfs." + type + " " + image))
            why = "mkfs." + type + " is missing or failed";
        if (why.empty() && !Mount("mount -o loop " + image, point).empty())
            why = "no " + type + " in this kernel, or no loop device";
        if (!why.empty()) {
            Loudly("that a folder on " + type + " is destroyed", why);
            continue;
        }
        MakeFolder(point + "/listed");
        for (const char* name : {"one", "two", "three"})
            WriteFile(point + "/listed/" + name, std::string(10000, 'x'));
        ASSERT_TRUE(Shell("umount " + point + " && mount -o loop " + image + " " + point)) << type;
        view = RecordingView();
        ListFolder(point + "/listed");
        Shredder.Run(MethodBalanced);
        EXPECT_FALSE(Reported(view, Remains::Changed)) << type << ": nothing changed during the run";
        for (const char* name : {"one", "two", "three"})
            EXPECT_FALSE(Exists(point + "/listed/" + name)) << type << ": " << name;
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "neither vfat nor exFAT could be mounted";
}

// Without xino, a file in the upper layer has the upper file system's device,
// not its folder's: it is still on the overlay's mount.
TEST_F(RealMounts, FileInAnOverlaysUpperLayerIsOnTheOverlay)
{
    const std::string what = "that a file of an overlay without xino is taken as on the overlay";
    std::string why = Mount("mount -t tmpfs none", tree / "lower");
    if (why.empty())
        why = Mount("mount -t tmpfs none", tree / "upperfs");
    if (!why.empty())
        GTEST_SKIP() << Loudly(what, why);
    MakeFolder(tree / "upperfs/upper");
    MakeFolder(tree / "upperfs/work");
    why = Mount("mount -t overlay overlay -o lowerdir=" + (tree / "lower") + ",upperdir=" + (tree / "upperfs/upper") +
                    ",workdir=" + (tree / "upperfs/work") + ",xino=off",
                tree / "merged");
    if (!why.empty())
        GTEST_SKIP() << Loudly(what, why);
    MakeFolder(tree / "merged/listed");
    WriteFile(tree / "merged/listed/upper", "upper only");
    struct stat folder {
    }, file{};
    ASSERT_EQ(::stat((tree / "merged/listed").c_str(), &folder), 0);
    ASSERT_EQ(::stat((tree / "merged/listed/upper").c_str(), &file), 0);
    EXPECT_NE(folder.st_dev, file.st_dev) << "the case itself: the file's device is not its folder's";
    ListFolder(tree / "merged/listed");
    Shredder.Run(MethodBalanced);
    EXPECT_FALSE(Reported(view, Remains::OtherFileSystem));
    EXPECT_FALSE(Reported(view, Remains::Changed));
    EXPECT_FALSE(Exists(tree / "upperfs/upper/listed/upper"));
}
