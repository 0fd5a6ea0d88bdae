#pragma once

// The file selection page's list as tests see it, and scripted answers for
// its two dialogs.
#include "pages/Choosers.h"
#include "pages/frmAddFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

// Answers the open-file dialog with a scripted selection and records how it was asked.
struct ScriptedFiles : sorvex::FileChooser {
    QStringList answer;
    QString askedTitle;
    QStringList startedWith;
    QStringList ChooseFiles(QWidget*, const QString& title, const QString& startWith) override
    {
        askedTitle = title;
        startedWith << startWith;
        return answer;
    }
};

struct ScriptedFolder : sorvex::FolderChooser {
    QString answer;
    QString askedTitle;
    QString askedStart;
    QString ChooseFolder(QWidget*, const QString& title, const QString& startAt) override
    {
        askedTitle = title;
        askedStart = startAt;
        return answer;
    }
};

inline QStringList Captions()
{
    QStringList captions;
    for (int i = 0; i < frmAddFile->lst->count(); ++i)
        captions << frmAddFile->lst->item(i)->text();
    return captions;
}

// The order the list keeps: locale-aware and case-sensitive.
inline QStringList SortedLikeTheList(QStringList list)
{
    std::stable_sort(list.begin(), list.end(),
                     [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
    return list;
}

// Every entry ending in "/" is a folder with the folder icon, every other a file.
inline void ExpectKindsFollowCaptions()
{
    for (int i = 0; i < frmAddFile->lst->count(); ++i) {
        const QListWidgetItem* item = frmAddFile->lst->item(i);
        const int kind = item->text().endsWith('/') ? sorvex::FolderImage : sorvex::FileImage;
        EXPECT_EQ(sorvex::ImageIndexOf(item), kind) << item->text().toStdString();
        EXPECT_EQ(item->icon().cacheKey(), frmAddFile->ImageList1[static_cast<std::size_t>(kind)].cacheKey());
    }
}
