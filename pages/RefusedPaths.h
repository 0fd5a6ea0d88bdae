#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

class QWidget;

namespace sorvex {

// Why a path was not put in the file list.
enum class PathRefusal {
    None, // it was listed
    Missing, // nothing is there
    Empty, // an empty argument: it names no file
    Unresolvable, // relative, while the working folder cannot be read
    Root, // the system's root folder, under any spelling
    NotLocal, // a location (file: or trash: URI) of nothing on this machine
    NotAFolder, // named for a wipe of the free space, which works in a folder
};

// What a reason means, in the words the box uses.
QString RefusalText(PathRefusal why);

// The paths that were not listed, each with its reason, told in one box.
class RefusedPaths {
public:
    void Add(const QByteArray& path, PathRefusal why) { paths_.emplace_back(path, why); }
    bool IsEmpty() const { return paths_.empty(); }
    // The box's text: how many, a count per reason.
    QString Summary() const;
    // Its details: every path with its reason, one a line.
    QString Details() const;
    // The modal box over owner, plain text; nothing when no path was refused.
    void Tell(QWidget* owner) const;

private:
    std::vector<std::pair<QByteArray, PathRefusal>> paths_;
};

} // namespace sorvex
