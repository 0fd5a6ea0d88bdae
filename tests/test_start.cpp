// What may enter the file list from the command line, a drop or the folder
// browser, and the one box that names every path left out, with why.
#include "app/CommandLine.h"
#include "pages/frmAddFiles.h"
#include "tests/support/EntryList.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/Pages.h"
#include "tests/support/TempTree.h"

#include <QScreen>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include <unistd.h>

using namespace sorvex;

namespace {

using Paths = std::vector<std::pair<std::string, PathRefusal>>;

// The paths ReadCommandLine takes from arguments, given after the program's name.
Paths PathsOf(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "sorvex");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    Paths paths;
    for (const PathArgument& path : ReadCommandLine(static_cast<int>(argv.size()), argv.data()).paths)
        paths.emplace_back(path.path.toStdString(), path.refused);
    return paths;
}

// Works in a folder of its own, removed when gone is set; the working folder
// of the test is given back after.
class InFolder {
public:
    InFolder(const std::string& folder, bool gone) : saved_(::getcwd(nullptr, 0))
    {
        std::filesystem::create_directories(folder);
        EXPECT_EQ(::chdir(folder.c_str()), 0);
        if (gone) {
            EXPECT_EQ(::rmdir(folder.c_str()), 0);
        }
    }
    ~InFolder()
    {
        EXPECT_EQ(::chdir(saved_), 0);
        std::free(saved_);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    char* saved_;
};

} // namespace

// An empty argument names no file, and a relative path names none while the
// working folder cannot be read: neither may turn into the working folder or
// a path from the root.
TEST(CommandLinePaths, EmptyAndUnresolvablePathsAreRefusedWithWhy)
{
    TempTree tree;
    const std::string work = tree / "work";
    const std::string trash = tree / "data/Trash/files/";
    ASSERT_EQ(setenv("XDG_DATA_HOME", (tree / "data").c_str(), 1), 0);
    const std::string usb = "/media/usb/.Trash-" + std::to_string(getuid()) + "/files/";
    const struct {
        bool gone;
        std::vector<std::string> arguments;
        Paths expected;
    } cases[] = {
        {false,
         {"", "etc", "/etc", "-", "--", "", "-x"},
         {{"", PathRefusal::Empty},
          {work + "/etc", PathRefusal::None},
          {"/etc", PathRefusal::None},
          {work + "/-", PathRefusal::None},
          {"", PathRefusal::Empty},
          {work + "/-x", PathRefusal::None}}},
        {true,
         {"etc", "", "/etc", "../x", "."},
         {{"etc", PathRefusal::Unresolvable},
          {"", PathRefusal::Empty},
          {"/etc", PathRefusal::None},
          {"../x", PathRefusal::Unresolvable},
          {".", PathRefusal::Unresolvable}}},
        // Locations from file managers: their own files, and items of the Trash.
        {false,
         {"file:///a%20b/caf%E9", "file://localhost/etc//", "file://elsewhere.example/x", "trash:///it's%20new/sub",
          "trash:///%5Cmedia%5Cusb%5C.Trash-" + std::to_string(getuid()) + "%5Cfiles%5Ca", "trash:///%5Cetc%5Cpasswd",
          "trash:///%60%60x", "trash:/0-d/e", "trash:/7-nowhere", "trash:///d/../../x", "file:///etc%00/x"},
         {{"/a b/caf\xE9", PathRefusal::None},
          {"/etc", PathRefusal::None},
          {"file://elsewhere.example/x", PathRefusal::NotLocal},
          {trash + "it's new/sub", PathRefusal::None},
          {usb + "a", PathRefusal::None},
          {"trash:///%5Cetc%5Cpasswd", PathRefusal::NotLocal},
          {trash + "`x", PathRefusal::None},
          {trash + "d/e", PathRefusal::None},
          {"trash:/7-nowhere", PathRefusal::NotLocal},
          {"trash:///d/../../x", PathRefusal::NotLocal},
          {"file:///etc%00/x", PathRefusal::NotLocal}}},
    };
    for (const auto& line : cases) {
        const InFolder in(line.gone ? tree / "gone" : work, line.gone);
        EXPECT_EQ(PathsOf(line.arguments), line.expected) << (line.gone ? "working folder removed" : "");
    }
    unsetenv("XDG_DATA_HOME");
}

// --free-space takes the paths as folders to wipe the free space below; with
// none it is refused with the usage, as an unknown option is.
TEST(CommandLinePaths, FreeSpaceTakesFoldersAndNeedsOne)
{
    std::string words[] = {"sorvex", "--free-space", "/mnt"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data()};
    const CommandLine wipe = ReadCommandLine(3, argv);
    EXPECT_TRUE(wipe.action == CommandLine::Action::Run && wipe.freeSpace && wipe.paths.size() == 1);
    const CommandLine none = ReadCommandLine(2, argv);
    EXPECT_EQ(none.action, CommandLine::Action::Refuse);
    EXPECT_TRUE(none.text.startsWith("sorvex: --free-space: не названо ни одной папки\n\n")) << none.text.toStdString();
}

// 20,000 missing paths and the other reasons: a count per reason in the text,
// every path with its reason in the details, and a box that fits the screen.
TEST(RefusedPaths, TheBoxCountsEachReasonAndNamesEveryPathInItsDetails)
{
    RefusedPaths refused;
    for (int i = 0; i < 20000; ++i)
        refused.Add("/gone/" + QByteArray::number(i), PathRefusal::Missing);
    refused.Add("", PathRefusal::Empty);
    refused.Add("etc", PathRefusal::Unresolvable);
    refused.Add("/usr/..", PathRefusal::Root);
    refused.Add("trash:/7-nowhere", PathRefusal::NotLocal);
    refused.Add("/caf\xE9", PathRefusal::Missing);
    EXPECT_EQ(refused.Summary(), "Не добавлено в список путей: 20005.\n\n"
                                 "— нет такого файла или папки: 20001\n"
                                 "— пустой путь не называет никакого файла: 1\n"
                                 "— относительный путь, а текущую папку не удалось прочитать: 1\n"
                                 "— корневая папка системы: её уничтожить нельзя: 1\n"
                                 "— адрес не называет файла на этом компьютере: 1\n\n"
                                 "Все пути — в подробностях.");
    const QStringList details = refused.Details().split(u'\n');
    ASSERT_EQ(details.size(), 20005 + 1) << "one a line, each ended";
    EXPECT_EQ(details[0], "/gone/0 — нет такого файла или папки");
    EXPECT_EQ(details[20000], "\"\" — пустой путь не называет никакого файла");
    EXPECT_EQ(details[20001], "etc — относительный путь, а текущую папку не удалось прочитать");
    EXPECT_EQ(details[20002], "/usr/.. — корневая папка системы: её уничтожить нельзя");
    EXPECT_EQ(details[20003], "trash:/7-nowhere — адрес не называет файла на этом компьютере");
    EXPECT_EQ(details[20004], QStringLiteral("/caf\uFFFD — нет такого файла или папки"));

    int height = 0;
    Qt::TextFormat format = Qt::AutoText;
    ModalWatcher watcher([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            height = box->height();
            format = box->textFormat();
        }
        modal->close();
    });
    refused.Tell(nullptr);
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_EQ(watcher.seen()[0].title, "Sorvex : Personal Edition");
    EXPECT_EQ(watcher.seen()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(watcher.seen()[0].text, refused.Summary());
    EXPECT_EQ(watcher.seen()[0].details, refused.Details());
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_LT(height, QGuiApplication::primaryScreen()->availableGeometry().height() / 2);

    RefusedPaths none;
    none.Tell(nullptr);
    EXPECT_EQ(watcher.seen().size(), 1u) << "no box when every path was listed";
}

namespace {

class AddPaths : public PagesTest {
protected:
    TempTree tree;
};

} // namespace

// A path is listed as the dialogs would list it; the root folder, under any
// spelling or through a link, is not, and neither is an empty path or one
// that names nothing. Folders below the root are listed as ever.
TEST_F(AddPaths, TheRootFolderIsNeverAnEntryWhateverNamesIt)
{
    WriteFile(tree / "file", "x");
    MakeFolder(tree / "folder");
    ASSERT_EQ(::symlink("/", (tree / "to-root").c_str()), 0);
    ASSERT_EQ(::symlink("../../..", (tree / "folder/up").c_str()), 0); // /tmp/sorvex-.../folder/up: the root
    ASSERT_EQ(::symlink((tree / "folder").c_str(), (tree / "to-folder").c_str()), 0);
    const std::string t = tree.path();
    const struct {
        std::string path;
        PathRefusal why;
        QString entry; // the caption it is listed as
    } cases[] = {
        {t + "/file", PathRefusal::None, QString::fromStdString(t + "/file")},
        {t + "/folder//", PathRefusal::None, QString::fromStdString(t + "/folder/")},
        {t + "/to-folder", PathRefusal::None, QString::fromStdString(t + "/to-folder")},
        {"/usr", PathRefusal::None, "/usr/"},
        {"/usr/bin/..", PathRefusal::None, "/usr/bin/../"},
        {t + "/missing", PathRefusal::Missing, {}},
        {"", PathRefusal::Empty, {}},
        {"/", PathRefusal::Root, {}},
        {"//", PathRefusal::Root, {}},
        {"///", PathRefusal::Root, {}},
        {"/.", PathRefusal::Root, {}},
        {"/..", PathRefusal::Root, {}},
        {"/usr/..", PathRefusal::Root, {}},
        {"/usr/../", PathRefusal::Root, {}},
        {t + "/to-root", PathRefusal::Root, {}},
        {t + "/to-root/", PathRefusal::Root, {}},
        {t + "/folder/up", PathRefusal::Root, {}},
    };
    for (const auto& path : cases) {
        frmAddFile->lst->clear();
        EXPECT_EQ(frmAddFile->AddPath(QByteArray::fromStdString(path.path)), path.why) << path.path;
        EXPECT_EQ(Captions(), path.entry.isEmpty() ? QStringList() : QStringList{path.entry}) << path.path;
    }
}
