// The file selection page: building the list through its two dialogs.
#include "pages/frmAddFiles.h"
#include "pages/frmSposob.h"
#include "pages/frmStart.h"
#include "tests/support/EntryList.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/Pages.h"
#include "tests/support/TempTree.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeView>

using namespace sorvex;

namespace {

class FileSelection : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        frmAddFile->opn.Chooser = &files;
        frmAddFile->FolderBrowser = &folder;
    }
    void AddFiles(const QStringList& paths)
    {
        files.answer = paths;
        frmAddFile->Button5->click();
    }
    void AddFolder(const QString& path)
    {
        folder.answer = path;
        frmAddFile->Button6->click();
    }
    ScriptedFiles files;
    ScriptedFolder folder;
};

} // namespace

TEST_F(FileSelection, FilesAndFoldersEnterInSortedOrderWithTheirKinds)
{
    AddFiles({"/home/u/b.txt"});
    AddFolder("/home/u/Docs");
    AddFiles({"/home/u/c.txt", "/home/u/a.txt", "/home/u/B.txt"});
    EXPECT_EQ(files.askedTitle, "Добавить файл(ы)");
    EXPECT_EQ(Captions(),
              SortedLikeTheList({"/home/u/b.txt", "/home/u/Docs/", "/home/u/c.txt", "/home/u/a.txt", "/home/u/B.txt"}));
    ExpectKindsFollowCaptions();
}

TEST_F(FileSelection, SortingIsCaseSensitiveAndKeepsDuplicates)
{
    AddFiles({"/x/a", "/x/A", "/x/a"});
    EXPECT_EQ(frmAddFile->lst->count(), 3);
    EXPECT_EQ(Captions().count("/x/a"), 2);
    EXPECT_NE(QString::localeAwareCompare("/x/a", "/x/A"), 0);
}

TEST_F(FileSelection, OpenDialogKeepsTheFirstPathOfTheLastConfirmedSelection)
{
    AddFiles({"/d/two", "/d/one"});
    AddFiles({});
    AddFiles({"/e/three"});
    EXPECT_EQ(files.startedWith, (QStringList{"", "/d/two", "/d/two"}));
    EXPECT_EQ(frmAddFile->opn.FileName, "/e/three");
    EXPECT_EQ(frmAddFile->lst->count(), 3) << "a cancelled dialog adds nothing";
}

TEST_F(FileSelection, FolderBrowserAppendsOneSeparatorAlwaysAndCancelAddsNothing)
{
    AddFolder("");
    EXPECT_EQ(frmAddFile->lst->count(), 0);
    EXPECT_EQ(folder.askedTitle, "Выберите папку.");
    EXPECT_EQ(folder.askedStart, "/");
    AddFolder("/tmp/Temp");
    AddFolder("/tmp/Temp/");
    EXPECT_EQ(Captions(), (QStringList{"/tmp/Temp/", "/tmp/Temp//"}));
}

TEST_F(FileSelection, RemovingSelectedEntriesAndClearing)
{
    AddFiles({"/a", "/b", "/c", "/d"});
    frmAddFile->Button7->click();
    EXPECT_EQ(frmAddFile->lst->count(), 4) << "nothing selected, nothing removed";
    frmAddFile->lst->item(0)->setSelected(true);
    frmAddFile->lst->item(2)->setSelected(true);
    frmAddFile->Button7->click();
    EXPECT_EQ(Captions(), (QStringList{"/b", "/d"}));
    frmAddFile->Button4->click();
    EXPECT_EQ(frmAddFile->lst->count(), 0);
}

TEST_F(FileSelection, CaptionsCannotBeEditedInPlace)
{
    EXPECT_EQ(frmAddFile->lst->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(frmAddFile->lst->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(frmAddFile->lst->iconSize(), QSize(16, 16));
}

TEST_F(FileSelection, EmptyListIsRefusedWithTheWarningBox)
{
    frmAddFile->show();
    ModalWatcher watcher;
    frmAddFile->Button2->click();
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_EQ(watcher.seen()[0].title, "ВНИМАНИЕ!");
    EXPECT_EQ(watcher.seen()[0].text, "Вы ничего не выбрали для удаления.");
    EXPECT_EQ(watcher.seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(watcher.seen()[0].ownerName, "TfrmAddFile");
    EXPECT_TRUE(frmAddFile->isVisible());
    EXPECT_FALSE(frmSpo->isVisible());
}

TEST_F(FileSelection, NextWithEntriesMovesOnAndBackFromThereKeepsTheList)
{
    AddFiles({"/a"});
    frmAddFile->show();
    frmAddFile->move(55, 66);
    frmAddFile->Button2->click();
    ASSERT_TRUE(frmSpo->isVisible());
    EXPECT_EQ(frmSpo->pos(), QPoint(55, 66));
    frmSpo->Button3->click();
    EXPECT_TRUE(frmAddFile->isVisible());
    EXPECT_EQ(Captions(), QStringList{"/a"});
}

TEST_F(FileSelection, BackMovesToTheWelcomePageThenEmptiesTheList)
{
    AddFiles({"/a", "/b"});
    frmAddFile->show();
    frmAddFile->move(70, 80);
    int countWhenWelcomeShown = -1;
    struct ShowSpy : QObject {
        int* count;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Show)
                *count = frmAddFile->lst->count();
            return false;
        }
    } spy;
    spy.count = &countWhenWelcomeShown;
    Form1->installEventFilter(&spy);
    frmAddFile->Button3->click();
    Form1->removeEventFilter(&spy);
    EXPECT_EQ(countWhenWelcomeShown, 2) << "the list is emptied after the move";
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(Form1->pos(), QPoint(70, 80));
    EXPECT_EQ(frmAddFile->lst->count(), 0);
}

// The width Qt gives an entry laid out on its own, icon and margins included.
static int NaturalWidth(const QListWidgetItem* entry)
{
    QListWidget alone;
    alone.setFont(frmAddFile->lst->font());
    alone.setIconSize(frmAddFile->lst->iconSize());
    alone.setTextElideMode(Qt::ElideNone);
    alone.addItem(entry->clone());
    alone.resize(40, 100); // narrower than any entry: the entry's own width shows
    alone.doItemsLayout();
    return alone.visualItemRect(alone.item(0)).width();
}

// All entries share one size, which Qt takes from one sample; a long path
// followed by a shorter one used to be cut off at the list's edge.
TEST_F(FileSelection, EveryPathCanBeScrolledIntoViewToItsEnd)
{
    const QString longPath = QStringLiteral("/home/user/Документы/Бухгалтерия/Договоры и счета за 2023 год/"
                                            "Сканы подписанных экземпляров/договор-аренды-склада-№-17.pdf");
    AddFiles({longPath, "/home/user/b.txt", "/srv/z"});
    ASSERT_EQ(Captions().back(), "/srv/z") << "the short path must be laid out last";
    frmAddFile->show();
    QListWidget* const lst = frmAddFile->lst;
    lst->doItemsLayout();
    const int reachable = lst->horizontalScrollBar()->maximum() + lst->viewport()->width();
    for (int i = 0; i < lst->count(); ++i) {
        const int needed = NaturalWidth(lst->item(i));
        EXPECT_GE(lst->visualItemRect(lst->item(i)).width(), needed) << Captions()[i].toStdString();
        EXPECT_GE(reachable, needed) << Captions()[i].toStdString();
    }

    // Without the long path nothing is wider than the list: no scrolling is left over.
    lst->findItems(longPath, Qt::MatchExactly).first()->setSelected(true);
    frmAddFile->Button7->click();
    lst->doItemsLayout();
    EXPECT_EQ(lst->horizontalScrollBar()->maximum(), 0);
}

namespace {

// What the page's real dialog offers that would change the disk: its new
// folder button, and a model that deletes and renames what is shown in it.
struct Offers {
    bool readOnly = false;
    bool newFolder = true;
    bool modelWrites = true;
    int typeColumn = 0; // the type column's width, less what "Текстовый документ" takes
};

Offers OffersOf(const std::function<void()>& open)
{
    Offers offers;
    ModalWatcher watcher([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            offers.readOnly = dialog->testOption(QFileDialog::ReadOnly);
            offers.newFolder = dialog->findChild<QToolButton*>(QStringLiteral("newFolderButton"))->isEnabled();
            offers.modelWrites = !dialog->findChild<QFileSystemModel*>()->isReadOnly();
            const auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            offers.typeColumn = details->header()->sectionSize(2) -
                                details->fontMetrics().horizontalAdvance(QStringLiteral("Текстовый документ"));
        }
        modal->close();
    });
    open();
    return offers;
}

} // namespace

// The two dialogs only choose: nothing in them deletes, renames or makes a
// folder (Qt's read-only dialog), so nothing on disk changes before the
// method page's "Далее >"; and they write nothing of where they were into
// Qt's settings.
TEST(FileDialogs, OfferNoDeleteRenameOrNewFolder)
{
    const struct {
        const char* name;
        std::function<void()> open;
    } cases[] = {
        {"files", [] { QtFileChooser().ChooseFiles(nullptr, "t", "/tmp"); }},
        {"folder", [] { QtFolderChooser().ChooseFolder(nullptr, "t", "/tmp"); }},
    };
    const std::string settings = qgetenv("XDG_CONFIG_HOME").toStdString() + "/QtProject.conf";
    WriteFile(settings, "[FileDialog]\nhistory=file:///kept\n");
    for (const auto& dialog : cases) {
        const Offers offers = OffersOf(dialog.open);
        EXPECT_EQ(ReadFile(settings), "[FileDialog]\nhistory=file:///kept\n")
            << dialog.name << ": the dialog wrote a path";
        EXPECT_TRUE(offers.readOnly) << dialog.name;
        EXPECT_FALSE(offers.newFolder) << dialog.name;
        EXPECT_FALSE(offers.modelWrites) << dialog.name << ": Delete and rename in the dialog would change the disk";
        EXPECT_GT(offers.typeColumn, 8) << dialog.name << ": the type column cuts \"Текстовый документ\"";
    }
}
