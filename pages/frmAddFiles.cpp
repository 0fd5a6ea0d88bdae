#include "pages/frmAddFiles.h"

#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/PageFrame.h"
#include "pages/frmSposob.h"
#include "pages/frmStart.h"

#include <QCloseEvent>
#include <QMessageBox>

TfrmAddFile* frmAddFile = nullptr;

static constexpr int ImageIndexRole = Qt::UserRole;

EntryItem::EntryItem(const QString& caption, int imageIndex, const QIcon& icon)
    : QListWidgetItem(icon, caption)
{
    setData(ImageIndexRole, imageIndex);
}

bool EntryItem::operator<(const QListWidgetItem& other) const
{
    return QString::localeAwareCompare(text(), other.text()) < 0;
}

int ImageIndexOf(const QListWidgetItem* item)
{
    return item->data(ImageIndexRole).toInt();
}

TfrmAddFile::TfrmAddFile(QWidget* parent) : QWidget(parent)
{
    setupUi(this);
    move(259, 108); // design position
    UseDialogFrame(this);
    opn.Title = QStringLiteral("Добавить файл(ы)");
    ImageList1 = {QIcon(QStringLiteral(":/folder.png")), QIcon(QStringLiteral(":/document.png"))};
    Bind(Button1, this, &TfrmAddFile::Button1Click);
    Bind(Button2, this, &TfrmAddFile::Button2Click);
    Bind(Button3, this, &TfrmAddFile::Button3Click);
    Bind(Button4, this, &TfrmAddFile::Button4Click);
    Bind(Button5, this, &TfrmAddFile::Button5Click);
    Bind(Button6, this, &TfrmAddFile::Button6Click);
    Bind(Button7, this, &TfrmAddFile::Button7Click);
    lst->setFocus();
}

void TfrmAddFile::AddEntry(const QString& caption, int imageIndex)
{
    lst->addItem(new EntryItem(caption, imageIndex, ImageList1[static_cast<std::size_t>(imageIndex)]));
}

void TfrmAddFile::Button1Click()
{
    Terminate();
}

void TfrmAddFile::Button2Click()
{
    if (lst->count() == 0) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("ВНИМАНИЕ!"),
                        QStringLiteral("Вы ничего не выбрали для удаления."), QMessageBox::Ok, this);
        box.exec();
        return;
    }
    MovePage(this, frmSpo);
}

void TfrmAddFile::Button3Click()
{
    MovePage(this, Form1);
    lst->clear();
}

void TfrmAddFile::Button4Click()
{
    lst->clear();
}

void TfrmAddFile::Button5Click()
{
    if (!opn.Execute(this))
        return;
    for (const QString& path : opn.Files)
        AddEntry(path, FileImage);
}

void TfrmAddFile::Button6Click()
{
    const QString folder = FolderBrowser->ChooseFolder(this, QStringLiteral("Выберите папку."),
                                                       QStringLiteral("/"));
    if (!folder.isEmpty())
        AddEntry(folder + u'/', FolderImage);
}

void TfrmAddFile::Button7Click()
{
    qDeleteAll(lst->selectedItems());
}

void TfrmAddFile::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Dispatch([this] { Button1Click(); });
}
