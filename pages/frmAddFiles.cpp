#include "pages/frmAddFiles.h"

#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/PageFrame.h"
#include "pages/WidestEntryDelegate.h"
#include "pages/frmSposob.h"
#include "pages/frmStart.h"

#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QSysInfo>

#include <algorithm>

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
    // Files and folders can be dropped onto the list; its own entries cannot be dragged.
    lst->setDragDropMode(QAbstractItemView::DropOnly);
    lst->setDefaultDropAction(Qt::CopyAction);
    lst->setAcceptDrops(true);
    lst->viewport()->setAcceptDrops(true);
    lst->installEventFilter(this);
    lst->viewport()->installEventFilter(this);
    lst->setItemDelegate(new WidestEntryDelegate(lst));
    lst->setFocus();
}

// The local path a dropped url names, or an empty string. Urls naming another
// machine are not local even with the file scheme.
static QString LocalPathOf(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    const QString host = url.host();
    if (!host.isEmpty() && host != u"localhost" && host != QSysInfo::machineHostName())
        return {};
    const QString path = url.path(QUrl::FullyDecoded); // toLocalFile would keep the host
    if (!QDir::isAbsolutePath(path))
        return {};
    return QDir::cleanPath(path); // no trailing separator, except for "/" itself
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
    for (const QUrl& url : urls) {
        const QString path = LocalPathOf(url);
        if (path.isEmpty())
            continue;
        const QFileInfo info(path);
        if (info.isDir())
            AddEntry(path + u'/', FolderImage); // as the folder browser's answer is added
        else if (info.exists())
            AddEntry(path, FileImage);
    }
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
