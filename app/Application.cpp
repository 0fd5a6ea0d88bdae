#include "app/Application.h"

#include "app/CommandLine.h"
#include "app/EndSignals.h"
#include "pages/Dispatch.h"
#include "pages/Look.h"
#include "pages/RawPath.h"
#include "pages/RefusedPaths.h"
#include "pages/Wizard.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"
#include "pages/frmStart.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

#include <sys/resource.h>

namespace sorvex {

namespace {

// A folder named for --free-space, through a link too: the wipe works in
// the folder it leads to, on that folder's file system.
PathRefusal FolderRefusal(const QByteArray& path)
{
    if (!PathExists(path))
        return PathRefusal::Missing;
    return IsFolder(path.endsWith('/') ? path : path + '/') ? PathRefusal::None : PathRefusal::NotAFolder;
}

// With --free-space, the folders go straight to the progress page, whose
// wipe starts once the message loop runs; with none to wipe, the wizard starts.
bool StartWipe(const std::vector<PathArgument>& paths, RefusedPaths& refused)
{
    std::vector<std::string> folders;
    for (const PathArgument& argument : paths) {
        const PathRefusal why = argument.refused != PathRefusal::None ? argument.refused : FolderRefusal(argument.path);
        if (why == PathRefusal::None)
            folders.push_back(argument.path.toStdString());
        else
            refused.Add(argument.path, why);
    }
    if (folders.empty())
        return false;
    frmProgr->show();
    refused.Tell(frmProgr);
    QTimer::singleShot(0, frmProgr, [folders] { Dispatch([&folders] { frmProgr->WipeFreeSpace(folders); }); });
    return true;
}

// Paths given on the command line that cannot be listed are not, and the
// user is told which and why, in one box.
void ListAll(const std::vector<PathArgument>& paths, RefusedPaths& refused)
{
    for (const PathArgument& argument : paths) {
        PathRefusal why = argument.refused;
        if (why == PathRefusal::None)
            why = frmAddFile->AddPath(argument.path);
        if (why != PathRefusal::None)
            refused.Add(argument.path, why);
    }
}

void StartUp(const CommandLine& line)
{
    PrepareApplication();
    CreatePages();
    RefusedPaths refused;
    if (line.freeSpace && StartWipe(line.paths, refused))
        return;
    if (!line.freeSpace)
        ListAll(line.paths, refused);
    Form1->show();
    refused.Tell(Form1);
}

// What --help, --version and an unknown option print, read again by an
// application object without a window (it needs no display) that speaks
// Russian. Only these ways out get it: the wizard's start-up is its own.
CommandLine InRussian(int argc, char** argv)
{
    // Named "sorvex" in the usage, wherever it was started from.
    int wordsArgc = 1;
    char name[] = "sorvex";
    char* wordsArgv[] = {name, nullptr};
    const QCoreApplication words(wordsArgc, wordsArgv);
    SpeakRussian();
    return ReadCommandLine(argc, argv);
}

// Wayland lets no program place its windows, and the pages move into each
// other's place: where an X display is there too (XWayland) and the user has
// named no platform, the pages go there.
void PreferX()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

// A deep tree needs a few dozen descriptors at most, but the soft limit a
// desktop session gives (1,024) is no limit of the user's: it is raised to
// the hard one, as programs that walk trees do.
void RaiseOpenFilesLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        (void)::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int RunApplication(int argc, char** argv)
{
    RaiseOpenFilesLimit();
    CommandLine line = ReadCommandLine(argc, argv);
    if (line.action != CommandLine::Action::Run) {
        line = InRussian(argc, argv);
        const bool refused = line.action == CommandLine::Action::Refuse;
        std::fputs(line.text.toLocal8Bit().constData(), refused ? stderr : stdout);
        return refused ? 2 : 0;
    }
    PreferX();
    QApplication application(argc, argv);
    AnswerEndSignals();
    if (Dispatch([&line] { StartUp(line); }) && !EndAsked())
        QApplication::exec();
    DestroyPages();
    return 0;
}

} // namespace sorvex
