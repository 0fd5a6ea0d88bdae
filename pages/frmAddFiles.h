#pragma once

#include "engine/RunView.h"
#include "pages/Choosers.h"
#include "pages/Page.h"
#include "pages/RefusedPaths.h"

#include <QIcon>
#include <QListWidgetItem>

#include <array>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QUrl;

namespace sorvex {

// Image indexes of the entry list: they tell a folder entry from a file entry.
enum : int { FolderImage = 0, FileImage = 1 };

// One entry of lst: it holds the exact bytes of its path and its kind; the
// caption only shows the path. Entries sort by caption, locale-aware and
// case-sensitive.
class EntryItem : public QListWidgetItem {
public:
    EntryItem(const QByteArray& path, int imageIndex, const QIcon& icon);
    bool operator<(const QListWidgetItem& other) const override;
};

int ImageIndexOf(const QListWidgetItem* item);
QByteArray PathOf(const QListWidgetItem* item);

} // namespace sorvex

// The file selection page: the list of files and folders to destroy.
class TfrmAddFile : public sorvex::Page, public sorvex::EntrySource {
    Q_OBJECT
public:
    TfrmAddFile();

    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QFrame* Panel2;
    QListWidget* lst;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* Button7;
    QPushButton* Button4;
    QLabel* StaticText1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    sorvex::OpenDialog opn;
    sorvex::FolderChooser* FolderBrowser = &sorvex::QtFolderChooser();
    std::array<QIcon, 2> ImageList1;

    // Adds one entry where its caption sorts.
    void AddEntry(const QByteArray& path, int imageIndex);
    void AddEntry(const QString& path, int imageIndex); // the path's bytes as the system names files
    // Adds what path names as the dialogs would: a folder as a folder entry,
    // anything else (a link to a folder too) as a file entry. Why it was not
    // added otherwise: nothing is there, the path is empty, or it names the
    // system's root folder.
    sorvex::PathRefusal AddPath(const QByteArray& path);
    // Adds the dropped local files and folders as the two dialogs would;
    // other urls and paths that do not exist are passed over, and the root
    // folder is refused with a box.
    void AddDropped(const QList<QUrl>& urls);

    void Button1Click() override;
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

    // The list as a run reads it.
    int EntryCount() const override;
    std::string EntryPath(int index) const override;
    sorvex::EntryKind KindOfEntry(int index) const override;

protected:
    // Drops from a file manager onto lst, and the Delete key in it.
    bool eventFilter(QObject* watched, QEvent* event) override;
};

extern TfrmAddFile* frmAddFile;
