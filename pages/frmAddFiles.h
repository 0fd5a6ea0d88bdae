#pragma once

#include "pages/Choosers.h"
#include "ui_frmAddFiles.h"

#include <QIcon>
#include <QList>
#include <QListWidgetItem>
#include <QUrl>
#include <QWidget>

#include <array>

// Image indexes of the entry list: they tell a folder entry from a file entry.
enum : int { FolderImage = 0, FileImage = 1 };

// One entry of lst: the caption is the full path, the item holds its kind.
// Entries sort by caption, locale-aware and case-sensitive.
class EntryItem : public QListWidgetItem {
public:
    EntryItem(const QString& caption, int imageIndex, const QIcon& icon);
    bool operator<(const QListWidgetItem& other) const override;
};

int ImageIndexOf(const QListWidgetItem* item);

// The file selection page: the list of files and folders to destroy.
class TfrmAddFile : public QWidget, public Ui::TfrmAddFile {
    Q_OBJECT
public:
    explicit TfrmAddFile(QWidget* parent = nullptr);

    OpenDialog opn;
    FolderChooser* FolderBrowser = &QtFolderChooser();
    std::array<QIcon, 2> ImageList1;

    // Adds one entry where its caption sorts.
    void AddEntry(const QString& caption, int imageIndex);
    // Adds the dropped local files and folders as the two dialogs would;
    // other urls and paths that do not exist are passed over.
    void AddDropped(const QList<QUrl>& urls);

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Drops from a file manager onto lst, and the Delete key in it.
    bool eventFilter(QObject* watched, QEvent* event) override;
};

extern TfrmAddFile* frmAddFile;
