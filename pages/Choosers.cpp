#include "pages/Choosers.h"

#include "pages/DialogColumns.h"

#include <QFileDialog>
#include <QSettings>

namespace sorvex {

namespace {

// Qt's dialogs read their settings (QtProject.conf) when made and write them
// when destroyed: the folders visited, the history, the last folder. Sorvex
// keeps nothing between runs, least of all the paths of what it destroys, so
// those settings point where no file can be made ("/dev/null" is no folder),
// and a dialog's history lives for the session only.
void KeepSettingsOffTheDisk()
{
    static const bool pointed = [] {
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
        return true;
    }();
    (void)pointed;
}

// Runs the dialog with the history of this session, and keeps it.
int ExecWithSessionHistory(QFileDialog& dialog, QStringList& history)
{
    dialog.setHistory(history);
    const int result = dialog.exec();
    history = dialog.history();
    return result;
}

// Both dialogs only choose: read-only, they offer no delete, rename or new
// folder, so nothing on disk changes before a method is chosen and started.
class QtFiles final : public FileChooser {
public:
    QStringList ChooseFiles(QWidget* parent, const QString& title, const QString& startWith) override
    {
        KeepSettingsOffTheDisk();
        QFileDialog dialog(parent, title);
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails |
                          QFileDialog::DontResolveSymlinks | QFileDialog::ReadOnly);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        ShowColumnsInRussian(dialog);
        dialog.setFilter(dialog.filter() | QDir::Hidden | QDir::System);
        // Shown as "( *.* )", matched as "*": on Linux "*.*" would hide names without a dot.
        dialog.setNameFilter(QStringLiteral("Все файлы ( *.* ) (*)"));
        if (!startWith.isEmpty())
            dialog.selectFile(startWith);
        if (ExecWithSessionHistory(dialog, history_) != QDialog::Accepted)
            return {};
        return dialog.selectedFiles();
    }

private:
    QStringList history_;
};

class QtFolders final : public FolderChooser {
public:
    QString ChooseFolder(QWidget* parent, const QString& title, const QString& startAt) override
    {
        KeepSettingsOffTheDisk();
        QFileDialog dialog(parent, title, startAt);
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly |
                          QFileDialog::DontResolveSymlinks | QFileDialog::ReadOnly);
        dialog.setFileMode(QFileDialog::Directory);
        ShowColumnsInRussian(dialog);
        dialog.setFilter(dialog.filter() | QDir::Hidden | QDir::System);
        dialog.setWindowModality(Qt::ApplicationModal);
        if (ExecWithSessionHistory(dialog, history_) != QDialog::Accepted)
            return {};
        return dialog.selectedFiles().value(0);
    }

private:
    QStringList history_;
};

} // namespace

FileChooser& QtFileChooser()
{
    static QtFiles chooser;
    return chooser;
}

FolderChooser& QtFolderChooser()
{
    static QtFolders chooser;
    return chooser;
}

bool OpenDialog::Execute(QWidget* parent)
{
    Files = Chooser->ChooseFiles(parent, Title, FileName);
    if (Files.isEmpty())
        return false;
    FileName = Files.first();
    return true;
}

} // namespace sorvex
