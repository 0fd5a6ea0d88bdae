#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace sorvex {

// The seams in front of the two dialogs of the file selection page: the real
// Qt dialogs by default, a scripted answer in tests.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Full paths of the chosen files; empty when cancelled. Opens on startWith when given.
    virtual QStringList ChooseFiles(QWidget* parent, const QString& title, const QString& startWith) = 0;
};

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // The chosen folder's full path; empty when cancelled.
    virtual QString ChooseFolder(QWidget* parent, const QString& title, const QString& startAt) = 0;
};

FileChooser& QtFileChooser();
FolderChooser& QtFolderChooser();

// The open-file dialog of the file selection page. It keeps the first path of
// the last confirmed selection and reopens on it.
class OpenDialog {
public:
    QString Title;
    QString FileName;
    QStringList Files;
    FileChooser* Chooser = &QtFileChooser();

    // Runs the dialog; false when it was cancelled (Files is then empty).
    bool Execute(QWidget* parent);
};

} // namespace sorvex
