#pragma once

#include "pages/RefusedPaths.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace sorvex {

// A path given on the command line, or a file manager's location of a file
// (see LocalPathOf).
struct PathArgument {
    QByteArray path; // made absolute; as given when refused
    // Empty; Unresolvable: relative while the working folder cannot be read;
    // NotLocal: a location of nothing on this machine.
    PathRefusal refused = PathRefusal::None;
};

// What the program was started to do.
struct CommandLine {
    enum class Action {
        Run, // open the wizard, with paths already in the file list
        Print, // print text and end with 0: --help, --version
        Refuse, // print text (the usage) and end with 2: an option it does not know
    };
    Action action = Action::Run;
    std::vector<PathArgument> paths; // in order; raw bytes, never decoded
    bool freeSpace = false; // --free-space: the paths are folders whose free space is to be wiped
    QString text;
};

// Reads the arguments: options through QCommandLineParser, paths straight
// from argv so that a name that is not UTF-8 keeps its bytes. Needs no
// application object and opens no window.
CommandLine ReadCommandLine(int argc, char** argv);

} // namespace sorvex
