#include "pages/Choosers.h"

#include "pages/DialogColumns.h"

#include <QFileDialog>

namespace sorvex {

namespace {

// Both dialogs only choose: read-only, they offer no delete, rename or new
// folder, so nothing on disk changes before a method is chosen and started.
class QtFiles final : public FileChooser {
public:
    QStringList ChooseFiles(QWidget* parent, const QString& title, const QString& startWith) override
    {
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
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles();
    }
};

class QtFolders final : public FolderChooser {
public:
    QString ChooseFolder(QWidget* parent, const QString& title, const QString& startAt) override
    {
        QFileDialog dialog(parent, title, startAt);
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly |
                          QFileDialog::DontResolveSymlinks | QFileDialog::ReadOnly);
        dialog.setFileMode(QFileDialog::Directory);
        ShowColumnsInRussian(dialog);
        dialog.setFilter(dialog.filter() | QDir::Hidden | QDir::System);
        dialog.setWindowModality(Qt::ApplicationModal);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles().value(0);
    }
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
