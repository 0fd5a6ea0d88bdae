// Nothing outside the list is ever touched: not through a folder swapped for
// a link during a run, not a FIFO or device, not another mount, not a link's
// target, not a file named by markup, not a name that is not UTF-8.
#include "pages/RawPath.h"
#include "tests/support/EngineTest.h"
#include "tests/support/EntryList.h"
#include "tests/support/PageRunTest.h"

#include <QUrl>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace sorvex;
using namespace std::chrono_literals;

namespace {

using Boundaries = EngineTest;

// A thread waiting to open a FIFO from the other end: it is released only
// when somebody opens the FIFO, which is what must never happen.
class WaitingEnd {
public:
    WaitingEnd(const std::string& fifo, int flags) : fifo_(fifo)
    {
        thread_ = std::thread([this, flags] {
            const int fd = ::open(fifo_.c_str(), flags);
            released_ = true;
            if (fd >= 0)
                ::close(fd);
        });
        std::this_thread::sleep_for(20ms); // it is waiting in open() by now
    }
    ~WaitingEnd()
    {
        // Open the other end ourselves, so that the thread can end.
        const int fd = ::open(fifo_.c_str(), O_RDWR | O_NONBLOCK);
        thread_.join();
        if (fd >= 0)
            ::close(fd);
    }
    bool Released() const { return released_; }

private:
    std::string fifo_;
    std::atomic<bool> released_ = false;
    std::thread thread_;
};

bool Reported(const RecordingView& view, const std::string& path, Remains why)
{
    for (const RunReport& report : view.reports) {
        for (const RunReport::Item& item : report.items) {
            if (item.path == path && item.why == why)
                return true;
        }
    }
    return false;
}

} // namespace

// While a large listed file is being overwritten, another process moves a
// listed subfolder away and puts a link to a folder outside the list in its
// place: the outside file keeps its bytes and its name.
TEST_F(Boundaries, SubfolderSwappedForALinkDuringTheRunSendsNothingOutside)
{
    MakeFolder(tree / "victim");
    WriteFile(tree / "victim/secret.txt", "not listed");
    WriteFile(tree / "big", std::string(64 * 1024, 'b'));
    MakeFolder(tree / "list");
    MakeFolder(tree / "list/sub");
    WriteFile(tree / "list/sub/secret.txt", "listed");
    ListFile(tree / "big");
    ListFolder(tree / "list");
    fs.afterWrite = [this](int write) {
        if (write == 5) {
            ASSERT_EQ(::rename((tree / "list/sub").c_str(), (tree / "list/sub.moved").c_str()), 0);
            ASSERT_EQ(::symlink("../victim", (tree / "list/sub").c_str()), 0);
        }
    };
    Shredder.Run(MethodBalanced);
    EXPECT_EQ(ReadFile(tree / "victim/secret.txt"), "not listed");
    EXPECT_FALSE(Exists(tree / "big"));
    EXPECT_TRUE(view.Finished());
    EXPECT_TRUE(Reported(view, tree / "list/sub/secret.txt", Remains::Changed));
    EXPECT_TRUE(Exists(tree / "list/sub")) << "the link put there is not the run's";
}

// A listed file moved away after the expansion and another put under its
// name: the other file is left alone, and so is the moved one.
TEST_F(Boundaries, FileReplacedByAnotherIsLeftAlone)
{
    MakeFolder(tree / "list");
    WriteFile(tree / "list/a", "listed");
    WriteFile(tree / "list/b", "listed too");
    ListFolder(tree / "list");
    fs.afterList = [this](const std::string&) {
        ASSERT_EQ(::rename((tree / "list/b").c_str(), (tree / "moved-b").c_str()), 0);
        WriteFile(tree / "other", "someone else's");
        ASSERT_EQ(::rename((tree / "other").c_str(), (tree / "list/b").c_str()), 0);
    };
    Shredder.Run(MethodThorough);
    EXPECT_FALSE(Exists(tree / "list/a"));
    EXPECT_EQ(ReadFile(tree / "list/b"), "someone else's");
    EXPECT_EQ(ReadFile(tree / "moved-b"), "listed too");
    EXPECT_TRUE(Reported(view, tree / "list/b", Remains::Changed));
}

// A FIFO with a reader waiting on it and a device node in a listed folder are
// never opened: the reader is still waiting after the run. Both stay, named
// in the report; the folder's plain file is destroyed.
TEST_F(Boundaries, FifoAndDeviceInAListedFolderAreNeverOpened)
{
    MakeFolder(tree / "list");
    ASSERT_EQ(::mkfifo((tree / "list/fifo").c_str(), 0666), 0);
    const bool device = ::mknod((tree / "list/null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    WriteFile(tree / "list/plain", "data");
    ListFolder(tree / "list");
    WaitingEnd reader(tree / "list/fifo", O_RDONLY);
    for (int method : {MethodFast, MethodDoD}) {
        view = RecordingView();
        ListFolder(tree / "list");
        Shredder.Run(method);
        EXPECT_FALSE(reader.Released()) << "the FIFO was opened";
        EXPECT_TRUE(Exists(tree / "list/fifo"));
        EXPECT_TRUE(Reported(view, tree / "list/fifo", Remains::NotAPlainFile));
        if (device) {
            EXPECT_TRUE(Exists(tree / "list/null"));
            EXPECT_TRUE(Reported(view, tree / "list/null", Remains::NotAPlainFile));
        }
        EXPECT_FALSE(Exists(tree / "list/plain"));
        EXPECT_TRUE(view.Finished());
        WriteFile(tree / "list/plain", "data");
    }
    if (!device)
        GTEST_SKIP() << "the FIFO was checked; a device node needs root to be made";
}

// Another file system mounted below a listed folder is not entered; it is
// named in the report. The listed folder's own files go.
TEST_F(Boundaries, MountBelowAListedFolderIsNotEntered)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting needs root";
    MakeFolder(tree / "list");
    MakeFolder(tree / "list/mnt");
    WriteFile(tree / "list/own", "data");
    if (std::system(("mount -t tmpfs none " + tree / "list/mnt").c_str()) != 0)
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    WriteFile(tree / "list/mnt/kept", "on another file system");
    ListFolder(tree / "list");
    Shredder.Run(MethodBalanced);
    EXPECT_EQ(ReadFile(tree / "list/mnt/kept"), "on another file system");
    EXPECT_FALSE(Exists(tree / "list/own"));
    EXPECT_TRUE(Reported(view, tree / "list/mnt/", Remains::OtherFileSystem));
    EXPECT_EQ(std::system(("umount " + tree / "list/mnt").c_str()), 0);
}

// A listed link is an entry of its own: it is deleted as a link, whatever it
// points to, and what it points to is never read, listed or touched.
TEST_F(Boundaries, ListedLinkToAFolderIsDeletedAsALink)
{
    MakeFolder(tree / "folder");
    WriteFile(tree / "folder/inside", "stays");
    ASSERT_EQ(::symlink((tree / "folder").c_str(), (tree / "link").c_str()), 0);
    ListFile(tree / "link");
    Shredder.Run(MethodThorough);
    EXPECT_FALSE(Exists(tree / "link"));
    EXPECT_EQ(ReadFile(tree / "folder/inside"), "stays");
    EXPECT_TRUE(fs.listed.empty());
    EXPECT_TRUE(fs.opened.empty());
    EXPECT_TRUE(view.reports.empty());
}

namespace {

using BoundariesOnThePages = PageRunTest;

} // namespace

// A name that reads as markup is shown as the text it is: the label never
// loads what the markup names (here a FIFO outside the list, whose writer
// would be released).
TEST_F(BoundariesOnThePages, NameThatLooksLikeMarkupIsShownAsText)
{
    const std::string fifo = tree / "outside-fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    std::string encoded;
    for (char c : fifo)
        encoded += c == '/' ? std::string("%2F") : std::string(1, c);
    MakeFolder(tree / "list");
    const std::string path = tree / "list/<img src=" + encoded + ">";
    WriteFile(path, "data");
    frmAddFile->AddEntry(QByteArray::fromStdString(tree / "list/"), FolderImage);
    WaitingEnd writer(fifo, O_WRONLY);
    fs.afterWrite = [](int) { frmProgr->lblFile->repaint(); };
    Shredder.Run(MethodBalanced);
    EXPECT_FALSE(writer.Released()) << "the label opened what the name names";
    EXPECT_EQ(frmProgr->lblFile->text(), frmProgr->FitToLabel(QString::fromStdString(path)));
    EXPECT_EQ(frmProgr->lblFile->textFormat(), Qt::PlainText);
    EXPECT_FALSE(Exists(path));
}

// A file whose name is not UTF-8, or holds a newline and a bidirectional
// mark, listed through the open-file dialog (which hands it over as text) or
// any other way, is found and destroyed; every caption of it shows those
// characters escaped, so that no name adds a line or turns text around.
TEST_F(BoundariesOnThePages, NameThatIsNotUtf8OrHoldsControlsIsDestroyedAndShownEscaped)
{
    ScriptedFiles files;
    frmAddFile->opn.Chooser = &files;
    for (const std::string name : {"caf\xE9.txt", "a\n\xE9 \xE2\x80\xAE"}) {
        const std::string raw = tree / name;
        for (int method : {MethodFast, MethodBalanced}) {
            WriteFile(raw, "data");
            frmAddFile->lst->clear();
            files.answer = QStringList{TextOf(QByteArray::fromStdString(raw))};
            frmAddFile->Button5->click();
            ASSERT_EQ(frmAddFile->EntryPath(0), raw);
            Shredder.Run(method);
            EXPECT_FALSE(Exists(raw)) << method;
            for (const QString& shown : {frmAddFile->lst->item(0)->text(), frmProgr->lblFile->text()})
                EXPECT_FALSE(shown.contains(u'\n') || shown.contains(QChar(0x202E))) << shown.toStdString();
            frmProgr->Button2->click(); // ready for the next run
        }
    }
}
