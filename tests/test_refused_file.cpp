// A file the run is refused (locked by another program) is left as found:
// its content and its mode, though a read-only file is made writable to be
// overwritten.
#include "engine/Error.h"
#include "tests/support/EngineTest.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvex;

using RefusedFile = EngineTest;

TEST_F(RefusedFile, LockedReadOnlyFileKeepsItsContentAndMode)
{
    const std::string path = tree / "locked";
    WriteFile(path, "content");
    ASSERT_EQ(::chmod(path.c_str(), 0400), 0);
    const int holder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    ListFile(path);
    EXPECT_THROW(Shredder.Run(MethodBalanced), Error);
    ::close(holder);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0400u);
    EXPECT_EQ(ReadFile(path), "content");
    EXPECT_EQ(fs.writes, 0);
}
