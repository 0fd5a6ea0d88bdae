#include "pages/frmAddFiles.h"

#include "pages/Dispatch.h"
#include "pages/Locations.h"
#include "pages/Pump.h"
#include "pages/RawPath.h"
#include "pages/WidestEntryDelegate.h"
#include "pages/frmSposob.h"
#include "pages/frmStart.h"
#include "ui_frmAddFiles.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>

using namespace sorvex;

TfrmAddFile* frmAddFile = nullptr;

namespace sorvex {

static constexpr int ImageIndexRole = Qt::UserRole;
static constexpr int PathRole = Qt::UserRole + 1;

EntryItem::EntryItem(const QByteArray& path, int imageIndex, const QIcon& icon) : QListWidgetItem(icon, CaptionOf(path))
{
    setData(ImageIndexRole, imageIndex);
    setData(PathRole, path);
}

bool EntryItem::operator<(const QListWidgetItem& other) const
{
    return QString::localeAwareCompare(text(), other.text()) < 0;
}

int ImageIndexOf(const QListWidgetItem* item)
{
    return item->data(ImageIndexRole).toInt();
}

QByteArray PathOf(const QListWidgetItem* item)
{
    return item->data(PathRole).toByteArray();
}

} // namespace sorvex

TfrmAddFile::TfrmAddFile() : Page({259, 108}, Frame::Dialog)
{
    Ui::TfrmAddFile ui;
    ui.setupUi(this);
    Panel1 = ui.Panel1;
    Label1 = ui.Label1;
    Label2 = ui.Label2;
    Panel2 = ui.Panel2;
    lst = ui.lst;
    Button5 = ui.Button5;
    Button6 = ui.Button6;
    Button7 = ui.Button7;
    Button4 = ui.Button4;
    StaticText1 = ui.StaticText1;
    Button1 = ui.Button1;
    Button2 = ui.Button2;
    Button3 = ui.Button3;
    opn.Title = QStringLiteral("Добавить файл(ы)");
    ImageList1 = {QIcon(QStringLiteral(":/folder.png")), QIcon(QStringLiteral(":/document.png"))};
    Bind(Button1, this, &TfrmAddFile::Button1Click);
    Bind(Button2, this, &TfrmAddFile::Button2Click);
    Bind(Button3, this, &TfrmAddFile::Button3Click);
    Bind(Button4, this, &TfrmAddFile::Button4Click);
    Bind(Button5, this, &TfrmAddFile::Button5Click);
    Bind(Button6, this, &TfrmAddFile::Button6Click);
    Bind(Button7, this, &TfrmAddFile::Button7Click);
    // Files and folders can be dropped onto the list; its own entries cannot be dragged.
    lst->setDragDropMode(QAbstractItemView::DropOnly);
    lst->setDefaultDropAction(Qt::CopyAction);
    lst->setAcceptDrops(true);
    lst->viewport()->setAcceptDrops(true);
    lst->installEventFilter(this);
    lst->viewport()->installEventFilter(this);
    lst->setItemDelegate(new WidestEntryDelegate(lst));
    DescribeBy({Label1, Label2});
    lst->setFocus();
}

static bool HoldsLocalPath(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return !LocalPathOf(url).isEmpty(); });
}

void TfrmAddFile::AddDropped(const QList<QUrl>& urls)
{
    RefusedPaths refused;
    for (const QUrl& url : urls) {
        const QByteArray path = LocalPathOf(url);
        if (!path.isEmpty() && AddPath(path) == PathRefusal::Root)
            refused.Add(path, PathRefusal::Root);
    }
    if (!refused.IsEmpty()) // told once the drop is over: its source waits for the end of it
        QTimer::singleShot(0, this, [this, refused] { refused.Tell(this); });
}

// A folder as the folder browser's answer is added, with its "/"; anything
// else, a link to a folder included, as a file entry: a link is deleted as a
// link and what it points to is never touched. The root folder, whatever
// names it, is never an entry: everything on the system is below it.
PathRefusal TfrmAddFile::AddPath(const QByteArray& path)
{
    if (path.isEmpty())
        return PathRefusal::Empty;
    if (IsSystemRoot(path))
        return PathRefusal::Root;
    if (IsFolder(path)) {
        QByteArray folder = path;
        while (folder.size() > 1 && folder.endsWith('/'))
            folder.chop(1);
        AddEntry(folder + '/', FolderImage);
    } else if (PathExists(path))
        AddEntry(path, FileImage);
    else
        return PathRefusal::Missing;
    return PathRefusal::None;
}

bool TfrmAddFile::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lst->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (HoldsLocalPath(drag->mimeData()) && (drag->possibleActions() & Qt::CopyAction)) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!HoldsLocalPath(drop->mimeData()) || !(drop->possibleActions() & Qt::CopyAction)) {
                drop->ignore();
                return true;
            }
            const QList<QUrl> urls = drop->mimeData()->urls();
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            Dispatch([this, &urls] { AddDropped(urls); });
            return true;
        }
        default:
            break;
        }
    } else if (watched == lst && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            Dispatch([this] { Button7Click(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmAddFile::AddEntry(const QByteArray& path, int imageIndex)
{
    lst->addItem(new EntryItem(path, imageIndex, ImageList1[static_cast<std::size_t>(imageIndex)]));
}

void TfrmAddFile::AddEntry(const QString& path, int imageIndex)
{
    AddEntry(QFile::encodeName(path), imageIndex);
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
        AddEntry(RawPathOf(path), FileImage);
}

void TfrmAddFile::Button6Click()
{
    const QString folder = FolderBrowser->ChooseFolder(this, QStringLiteral("Выберите папку."), QStringLiteral("/"));
    if (folder.isEmpty())
        return;
    // The folder as chosen, with one "/" appended; a link chosen as a folder is a link.
    const QByteArray path = RawPathOf(folder);
    if (IsSystemRoot(path)) {
        RefusedPaths refused;
        refused.Add(path, PathRefusal::Root);
        refused.Tell(this);
        return;
    }
    if (!IsFolder(path) && PathExists(path))
        AddEntry(path, FileImage);
    else
        AddEntry(path + '/', FolderImage);
}

void TfrmAddFile::Button7Click()
{
    qDeleteAll(lst->selectedItems());
}

int TfrmAddFile::EntryCount() const
{
    return lst->count();
}

std::string TfrmAddFile::EntryPath(int index) const
{
    return PathOf(lst->item(index)).toStdString();
}

EntryKind TfrmAddFile::KindOfEntry(int index) const
{
    return ImageIndexOf(lst->item(index)) == FolderImage ? EntryKind::Folder : EntryKind::File;
}
