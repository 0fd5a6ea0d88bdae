#include "app/Application.h"

#include "app/CommandLine.h"
#include "app/EndSignals.h"
#include "pages/Dispatch.h"
#include "pages/Look.h"
#include "pages/RefusedPaths.h"
#include "pages/Wizard.h"
#include "pages/frmAddFiles.h"
#include "pages/frmStart.h"

#include <QApplication>

#include <cstdio>

#include <sys/resource.h>

namespace sorvex {

namespace {

// Paths given on the command line that cannot be listed are not, and the
// user is told which and why, in one box.
void StartUp(const std::vector<PathArgument>& paths)
{
    PrepareApplication();
    CreatePages();
    RefusedPaths refused;
    for (const PathArgument& argument : paths) {
        PathRefusal why = argument.refused;
        if (why == PathRefusal::None)
            why = frmAddFile->AddPath(argument.path);
        if (why != PathRefusal::None)
            refused.Add(argument.path, why);
    }
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
    if (Dispatch([&line] { StartUp(line.paths); }) && !EndAsked())
        QApplication::exec();
    DestroyPages();
    return 0;
}

} // namespace sorvex
