// The file selection page on the desktop: files and folders dropped onto the
// list from a file manager, and the Delete key in the list.
#include "tests/support/EntryList.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/Pages.h"
#include "tests/support/TempTree.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

#include <algorithm>
#include <filesystem>

#include <unistd.h>

using namespace sorvex;

namespace {

class DesktopList : public PagesTest {
protected:
    static QUrl Local(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }
    static QString Q(const std::string& path) { return QString::fromStdString(path); }

    // A drag from a file manager that enters the list and leaves it again;
    // true when the list would take it.
    bool Offer(const QMimeData& data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        const bool taken = Enter(data, actions);
        QDragLeaveEvent leave;
        QApplication::sendEvent(frmAddFile->lst->viewport(), &leave);
        return taken;
    }
    bool Offer(const QList<QUrl>& urls, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        QMimeData data;
        data.setUrls(urls);
        return Offer(data, actions);
    }
    // A drag that enters the list and is dropped on it; true when the drop was
    // taken. Qt hands a drop only to the widget that took the drag's entry.
    bool Drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        if (!Enter(data, Qt::CopyAction | Qt::MoveAction))
            return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frmAddFile->lst->viewport(), &drop);
        droppedAction = drop.dropAction();
        return drop.isAccepted();
    }
    void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(frmAddFile->lst, &press);
    }
    void AddAll(const QStringList& captions)
    {
        for (const QString& caption : captions)
            frmAddFile->AddEntry(caption, FileImage);
    }

    Qt::DropAction enteredAction = Qt::IgnoreAction;
    Qt::DropAction droppedAction = Qt::IgnoreAction;
    TempTree tree;

private:
    bool Enter(const QMimeData& data, Qt::DropActions actions)
    {
        QDragEnterEvent enter(QPoint(10, 10), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frmAddFile->lst->viewport(), &enter);
        enteredAction = enter.dropAction();
        return enter.isAccepted();
    }
};

} // namespace

TEST_F(DesktopList, DroppedFilesAndFoldersEnterWhereTheySortWithTheirKinds)
{
    WriteFile(tree / "b.txt", "b");
    WriteFile(tree / "A.txt", "a");
    MakeFolder(tree / "Docs");
    MakeFolder(tree / "music");
    AddAll({Q(tree / "c.txt")});

    ASSERT_TRUE(frmAddFile->lst->viewport()->acceptDrops());
    ASSERT_TRUE(Offer({Local(tree / "b.txt")}));
    EXPECT_EQ(enteredAction, Qt::CopyAction) << "a file manager must copy, never move";
    ASSERT_TRUE(
        Drop({Local(tree / "b.txt"), Local(tree / "Docs"), QUrl("https://example.org/b.txt"), Local(tree / "A.txt"),
              QUrl(QUrl::fromLocalFile(Q(tree / "music")).toString() + "/"), Local(tree / "missing.txt")}));
    EXPECT_EQ(droppedAction, Qt::CopyAction);

    const QStringList expected = SortedLikeTheList(
        {Q(tree / "c.txt"), Q(tree / "b.txt"), Q(tree / "Docs/"), Q(tree / "A.txt"), Q(tree / "music/")});
    ASSERT_EQ(Captions(), expected);
    ExpectKindsFollowCaptions();
}

// A dropped folder is added as the folder browser adds it; a link, to a
// folder too, is an entry of its own: a file entry, deleted as a link.
TEST_F(DesktopList, DroppedFoldersAndLinksEnterAsTheFolderBrowserAddsThem)
{
    MakeFolder(tree / "Docs");
    ASSERT_EQ(symlink((tree / "Docs").c_str(), (tree / "link").c_str()), 0);
    ScriptedFolder browser;
    frmAddFile->FolderBrowser = &browser;
    for (const QString& folder : {Q(tree / "Docs"), Q(tree / "link"), Q(tree / "Docs/")}) {
        browser.answer = folder;
        frmAddFile->Button6->click();
        ASSERT_TRUE(Drop({QUrl::fromLocalFile(folder)}));
    }
    const QStringList expected = SortedLikeTheList({Q(tree / "Docs/"), Q(tree / "Docs/"), Q(tree / "Docs/"),
                                                    Q(tree / "Docs//"), Q(tree / "link"), Q(tree / "link")});
    EXPECT_EQ(Captions(), expected) << "a link is no folder";
    ExpectKindsFollowCaptions();
}

// The system's root folder is never an entry, dropped or chosen in the folder
// browser, however it is named: a box in Russian says why, and the list stays
// as it was. A drop that holds it lists the rest, and tells once it is over.
TEST_F(DesktopList, TheRootFolderIsRefusedWithABoxFromADropAndFromTheBrowser)
{
    MakeFolder(tree / "Docs");
    ASSERT_EQ(symlink("/", (tree / "to-root").c_str()), 0);
    AddAll({Q(tree / "c.txt")});
    ScriptedFolder browser;
    frmAddFile->FolderBrowser = &browser;
    frmAddFile->show();
    const QString box = "Не добавлено в список путей: 1.\n\n— корневая папка системы: её уничтожить нельзя: 1\n\n"
                        "Все пути — в подробностях.";
    for (const QString& root : {QStringLiteral("/"), QStringLiteral("//"), QStringLiteral("/."), QStringLiteral("/.."),
                                QStringLiteral("/usr/.."), Q(tree / "to-root")}) {
        ModalWatcher watcher;
        browser.answer = root;
        frmAddFile->Button6->click();
        ASSERT_TRUE(Drop({QUrl("file://" + root)})) << root.toStdString();
        EXPECT_EQ(watcher.seen().size(), 1u) << "the drop's box waits for the drop to end";
        QApplication::processEvents();
        ASSERT_EQ(watcher.seen().size(), 2u) << root.toStdString();
        for (const ModalWatcher::Seen& seen : watcher.seen()) {
            EXPECT_EQ(seen.title, "Sorvex : Personal Edition");
            EXPECT_EQ(seen.text, box) << root.toStdString();
            EXPECT_TRUE(seen.details.endsWith(" — корневая папка системы: её уничтожить нельзя\n"));
            EXPECT_EQ(seen.ownerName, "TfrmAddFile");
        }
        EXPECT_EQ(Captions(), QStringList{Q(tree / "c.txt")}) << root.toStdString();
    }
    ModalWatcher watcher;
    ASSERT_TRUE(Drop({Local("/"), Local(tree / "Docs"), Local(tree / "to-root")}));
    QApplication::processEvents();
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_TRUE(watcher.seen()[0].text.startsWith("Не добавлено в список путей: 2."));
    EXPECT_EQ(watcher.seen()[0].details, "/ — корневая папка системы: её уничтожить нельзя\n" + Q(tree / "to-root") +
                                             " — корневая папка системы: её уничтожить нельзя\n");
    EXPECT_EQ(Captions(), SortedLikeTheList({Q(tree / "c.txt"), Q(tree / "Docs/")}));
}

// A name that is not UTF-8 is dropped as the url's bytes, and the entry keeps
// them exactly; the caption only shows it.
TEST_F(DesktopList, DroppedNameThatIsNotUtf8KeepsItsBytes)
{
    const std::string raw = tree / "caf\xE9.txt";
    WriteFile(raw, "x");
    const QUrl url(QStringLiteral("file://") + Q(tree.path()) + QStringLiteral("/caf%E9.txt"));
    ASSERT_TRUE(Drop({url}));
    ASSERT_EQ(frmAddFile->lst->count(), 1);
    EXPECT_EQ(frmAddFile->EntryPath(0), raw);
    EXPECT_TRUE(Captions()[0].endsWith(QStringLiteral("caf\uFFFD.txt")));
}

TEST_F(DesktopList, OnlyLocalPathsThatExistAreTaken)
{
    WriteFile(tree / "here.txt", "x");
    const QUrl remoteHost("file://far-away-host" + Q(tree / "here.txt"));
    EXPECT_FALSE(Offer({QUrl("https://example.org/"), QUrl("ftp://example.org/f"), remoteHost}));
    QMimeData text;
    text.setText(Q(tree / "here.txt"));
    EXPECT_FALSE(Offer(text, Qt::CopyAction)) << "plain text is not a file";
    EXPECT_FALSE(Offer({Local(tree / "here.txt")}, Qt::MoveAction)) << "files are never moved in";

    frmAddFile->AddDropped({QUrl("https://example.org/"), remoteHost, QUrl("file:here.txt")});
    EXPECT_EQ(frmAddFile->lst->count(), 0);

    EXPECT_TRUE(Drop({Local(tree / "gone"), Local(tree / "gone/")}));
    EXPECT_EQ(frmAddFile->lst->count(), 0);
    EXPECT_TRUE(Drop({QUrl("file://localhost" + Q(tree / "here.txt"))}));
    EXPECT_EQ(Captions(), QStringList{Q(tree / "here.txt")});

    // From the Trash's view: the item where the Trash keeps it.
    setenv("XDG_DATA_HOME", (tree / "data").c_str(), 1);
    std::filesystem::create_directories(tree / "data/Trash/files");
    WriteFile(tree / "data/Trash/files/old.txt", "x");
    EXPECT_TRUE(Drop({QUrl("trash:///old.txt")}));
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(Captions(), (QStringList{Q(tree / "data/Trash/files/old.txt"), Q(tree / "here.txt")}));
}

TEST_F(DesktopList, DeleteKeyRemovesTheSelectedEntriesLikeTheButton)
{
    AddAll({"/a", "/b", "/c", "/d", "/e"});
    PressKey(Qt::Key_Delete);
    EXPECT_EQ(frmAddFile->lst->count(), 5) << "nothing selected, nothing removed";

    frmAddFile->lst->item(0)->setSelected(true);
    frmAddFile->lst->item(2)->setSelected(true);
    PressKey(Qt::Key_Backspace);
    PressKey(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(frmAddFile->lst->count(), 5) << "only a plain Delete removes";

    PressKey(Qt::Key_Delete);
    EXPECT_EQ(Captions(), (QStringList{"/b", "/d", "/e"}));

    frmAddFile->lst->item(2)->setSelected(true);
    PressKey(Qt::Key_Delete, Qt::KeypadModifier);
    EXPECT_EQ(Captions(), (QStringList{"/b", "/d"})) << "the keypad Delete key too";
}
