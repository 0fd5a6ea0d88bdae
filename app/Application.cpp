#include "app/Application.h"

#include "app/CommandLine.h"
#include "pages/Dispatch.h"
#include "pages/Look.h"
#include "pages/RefusedPaths.h"
#include "pages/Wizard.h"
#include "pages/frmAddFiles.h"
#include "pages/frmStart.h"

#include <QApplication>

#include <cstdio>

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

} // namespace

int RunApplication(int argc, char** argv)
{
    const CommandLine line = ReadCommandLine(argc, argv);
    if (line.action != CommandLine::Action::Run) {
        const bool refused = line.action == CommandLine::Action::Refuse;
        std::fputs(line.text.toLocal8Bit().constData(), refused ? stderr : stdout);
        return refused ? 2 : 0;
    }
    QApplication application(argc, argv);
    if (Dispatch([&line] { StartUp(line.paths); }))
        QApplication::exec();
    DestroyPages();
    return 0;
}

} // namespace sorvex
