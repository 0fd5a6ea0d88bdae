// Start-up, page flow, the page frame and the error box.
#include "engine/Error.h"
#include "pages/DialogColumns.h"
#include "pages/Dispatch.h"
#include "pages/ErrorBox.h"
#include "pages/Look.h"
#include "pages/Page.h"
#include "pages/Pump.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"
#include "pages/frmSposob.h"
#include "pages/frmStart.h"
#include "tests/support/Loop.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/Pages.h"

#include <QApplication>
#include <QMoveEvent>
#include <QStyle>
#include <QTimer>

using namespace sorvex;

using Shell = PagesTest;

TEST_F(Shell, AllPagesExistAndOnlyTheWelcomePageIsShownWhereItBelongs)
{
    ASSERT_TRUE(Form1 && frmAddFile && frmSpo && frmProgr);
    Form1->show();
    EXPECT_EQ(Form1->pos(), QPoint(192, 107));
    EXPECT_FALSE(frmAddFile->isVisible());
    EXPECT_FALSE(frmSpo->isVisible());
    EXPECT_FALSE(frmProgr->isVisible());
    for (QWidget* page : {static_cast<QWidget*>(Form1), static_cast<QWidget*>(frmAddFile),
                          static_cast<QWidget*>(frmSpo), static_cast<QWidget*>(frmProgr)}) {
        EXPECT_EQ(page->windowTitle(), "Sorvex : Personal Edition");
        EXPECT_EQ(page->size(), QSize(508, 359));
    }
    EXPECT_EQ(frmAddFile->pos(), QPoint(259, 108));
    EXPECT_EQ(frmSpo->pos(), QPoint(189, 107));
}

TEST_F(Shell, FirstThreePagesAreFixedWithNoTitleBarButtons)
{
    for (QWidget* page :
         {static_cast<QWidget*>(Form1), static_cast<QWidget*>(frmAddFile), static_cast<QWidget*>(frmSpo)}) {
        EXPECT_EQ(page->minimumSize(), page->maximumSize());
        const Qt::WindowFlags flags = page->windowFlags();
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
        EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowMaximizeButtonHint));
    }
    EXPECT_NE(frmProgr->minimumSize(), frmProgr->maximumSize());
}

TEST_F(Shell, BottomRowIsTheSameOnEveryPage)
{
    const struct {
        QWidget* page;
        QPushButton* b1;
        QPushButton* b2;
        QPushButton* b3;
    } rows[] = {
        {Form1, Form1->Button1, Form1->Button2, Form1->Button3},
        {frmAddFile, frmAddFile->Button1, frmAddFile->Button2, frmAddFile->Button3},
        {frmSpo, frmSpo->Button1, frmSpo->Button2, frmSpo->Button3},
        {frmProgr, frmProgr->Button1, frmProgr->Button2, frmProgr->Button3},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.b3->geometry(), QRect(264, 328, 75, 23));
        EXPECT_EQ(row.b2->geometry(), QRect(340, 328, 75, 23));
        EXPECT_EQ(row.b1->geometry(), QRect(424, 328, 75, 23));
        EXPECT_EQ(row.b3->text(), "< &Назад");
        EXPECT_EQ(row.b2->text(), "&Далее >");
        EXPECT_EQ(row.b1->text(), "Выход");
    }
}

TEST_F(Shell, FreshWelcomePageFocusesExitAndGreysOutBack)
{
    Form1->show();
    Form1->activateWindow();
    QApplication::setActiveWindow(Form1);
    EXPECT_FALSE(Form1->Button3->isEnabled());
    EXPECT_EQ(Form1->focusWidget(), Form1->Button1);
    EXPECT_FALSE(Form1->Image1->pixmap().isNull());
    EXPECT_EQ(Form1->Image1->pixmap().size(), QSize(161, 313));
}

TEST_F(Shell, NextTakesTheWelcomePagesPlaceWhereverItWasMoved)
{
    Form1->show();
    Form1->move(37, 411);
    Form1->Button2->click();
    EXPECT_FALSE(Form1->isVisible());
    ASSERT_TRUE(frmAddFile->isVisible());
    EXPECT_EQ(frmAddFile->pos(), QPoint(37, 411));
}

TEST_F(Shell, PageMoveSetsTopBeforeLeft)
{
    struct Recorder : QWidget {
        std::vector<QPoint> moves;
        void moveEvent(QMoveEvent* event) override { moves.push_back(event->pos()); }
    } target;
    QWidget source;
    source.move(300, 200);
    source.show();
    target.move(10, 20);
    MovePage(&source, &target);
    EXPECT_FALSE(source.isVisible());
    EXPECT_TRUE(target.isVisible());
    EXPECT_EQ(target.pos(), QPoint(300, 200));
    ASSERT_GE(target.moves.size(), 2u);
    EXPECT_EQ(target.moves[target.moves.size() - 2], QPoint(10, 200));
}

TEST_F(Shell, ExitOnEachOfTheFirstThreePagesEndsTheLoopWithZero)
{
    for (QPushButton* exit : {Form1->Button1, frmAddFile->Button1, frmSpo->Button1})
        EXPECT_EQ(RunLoopWith([exit] { exit->click(); }), 0);
}

TEST_F(Shell, CloseRequestEndsTheLoopOnEveryPageAndHidesNothing)
{
    for (QWidget* page :
         {static_cast<QWidget*>(Form1), static_cast<QWidget*>(frmAddFile), static_cast<QWidget*>(frmSpo)}) {
        page->show();
        EXPECT_EQ(RunLoopWith([page] { page->close(); }), 0);
        EXPECT_TRUE(page->isVisible());
        page->hide();
    }
}

TEST_F(Shell, TerminateEndsTheLoopOnlyAfterTheHandlerWhosePumpKeepsWorking)
{
    bool pumped = false;
    bool handlerFinished = false;
    const int code = RunLoopWith([&] {
        Terminate();
        QTimer::singleShot(0, [&] { pumped = true; });
        for (int i = 0; i < 100 && !pumped; ++i)
            ProcessMessages();
        handlerFinished = true;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(pumped);
    EXPECT_TRUE(handlerFinished);
}

TEST(ErrorBox, FullStopOnlyAfterCharactersThatSortAfterIt)
{
    EXPECT_EQ(ErrorBoxText("Cannot open file /tmp/a"), "Cannot open file /tmp/a.");
    EXPECT_EQ(ErrorBoxText("Code 7"), "Code 7.");
    EXPECT_EQ(ErrorBoxText("Нет доступа"), "Нет доступа.");
    EXPECT_EQ(ErrorBoxText("/tmp/dir/"), "/tmp/dir/.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("(see above)"), "(see above)");
    EXPECT_EQ(ErrorBoxText("Stop!"), "Stop!");
    EXPECT_EQ(ErrorBoxText("a-"), "a-");
    EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(ErrorBox, DispatchShowsTheErrorAbandonsTheHandlerAndGoesOn)
{
    ModalWatcher watcher;
    bool after = false;
    EXPECT_FALSE(Dispatch([&] {
        throw Error("Cannot open file /tmp/x");
        after = true;
    }));
    EXPECT_FALSE(after);
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_EQ(watcher.seen()[0].title, "Sorvex : Personal Edition");
    EXPECT_EQ(watcher.seen()[0].text, "Cannot open file /tmp/x.");
    EXPECT_EQ(watcher.seen()[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(Dispatch([] {}));
    // A path as long as a deep tree's: shortened in the middle, whole in the details.
    const std::string deep = "/tmp" + std::string(40000, '/') + "name.txt";
    EXPECT_FALSE(Dispatch([&] { throw Error("Cannot open file ", deep); }));
    ASSERT_EQ(watcher.seen().size(), 2u);
    EXPECT_TRUE(watcher.seen()[1].text.startsWith("Cannot open file /tmp/"));
    EXPECT_TRUE(watcher.seen()[1].text.endsWith("name.txt."));
    EXPECT_LT(watcher.seen()[1].text.size(), 200);
    EXPECT_EQ(watcher.seen()[1].details, QString::fromStdString(deep));
}

TEST(ErrorBox, SilentAbortShowsNothingAndForeignExceptionsStopAtDispatch)
{
    ModalWatcher watcher;
    EXPECT_FALSE(Dispatch([] { throw SilentAbort(); }));
    EXPECT_TRUE(watcher.seen().empty());
    EXPECT_FALSE(Dispatch([] { throw 42; }));
    EXPECT_FALSE(Dispatch([] { throw std::runtime_error("boom"); }));
    ASSERT_EQ(watcher.seen().size(), 2u);
    EXPECT_EQ(watcher.seen()[0].text, "");
    EXPECT_EQ(watcher.seen()[1].text, "boom.");
}

TEST(PageFrame, FontHasTheElevenPixelCharacterHeight)
{
    const QFont font = PageFont();
    if (font.family() == "MS Sans Serif")
        EXPECT_EQ(font.pointSize(), 8);
    else
        EXPECT_EQ(font.pixelSize(), 11);
}

// Qt's own words on the dialogs and boxes come from Qt's Russian catalogue,
// whatever the locale the tests run in.
TEST(Look, QtsOwnWordsAreRussian)
{
    const struct {
        const char* context;
        const char* source;
        const char* russian;
    } words[] = {
        {"QFileDialog", "&Open", "&Открыть"},
        {"QFileDialog", "Look in:", "Перейти к:"},
        {"QFileDialog", "&Choose", "&Выбрать"},
        {"QPlatformTheme", "Cancel", "Отмена"},
        {"QMessageBox", "Show Details...", "Показать подробности..."},
        {"QMessageBox", "Hide Details...", "Скрыть подробности..."},
        {"QWidgetTextControl", "Select All", "Выделить всё"},
    };
    for (const auto& word : words)
        EXPECT_EQ(QCoreApplication::translate(word.context, word.source), QString::fromUtf8(word.russian))
            << word.context << " / " << word.source;
}

// The pages are drawn for Fusion's light palette, whatever the desktop's theme.
TEST(Look, StyleAndPaletteAreTheProgramsOwn)
{
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
    // Here, with no desktop theme, Fusion's standard palette is its light one.
    const QPalette fusion = QApplication::style()->standardPalette();
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text,
                                           QPalette::Button, QPalette::ButtonText, QPalette::BrightText})
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            EXPECT_EQ(QApplication::palette().color(group, role), fusion.color(group, role)) << group << " " << role;
    EXPECT_LT(QApplication::palette().color(QPalette::WindowText).lightness(), 64);
}

TEST(Look, SizesAndTypesInTheDialogsSpeakOneLanguage)
{
    const struct {
        std::int64_t bytes;
        const char* text;
    } sizes[] = {
        {0, "0 байт"},          {1, "1 байт"},     {3, "3 байта"},
        {5, "5 байт"},          {11, "11 байт"},   {12, "12 байт"},
        {21, "21 байт"},        {22, "22 байта"},  {1023, "1\u00a0023 байта"},
        {1024, "1,00 кБ"},      {7900, "7,71 кБ"}, {3000000, "2,86 МБ"},
        {5LL << 30, "5,00 ГБ"},
    };
    for (const auto& size : sizes)
        EXPECT_EQ(SizeText(size.bytes), QString::fromUtf8(size.text)) << size.bytes;
    const struct {
        const char* model;
        const char* text;
    } types[] = {
        {"Folder", "Папка"},
        {"Alias", "Ссылка"},
        {"Unknown", "Неизвестно"},
        {"Текстовый документ", "Текстовый документ"},
    };
    for (const auto& type : types)
        EXPECT_EQ(TypeText(QString::fromUtf8(type.model)), QString::fromUtf8(type.text)) << type.model;
}
