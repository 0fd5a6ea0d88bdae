#pragma once

#include <QString>
#include <QStyledItemDelegate>

#include <cstdint>

class QFileDialog;

namespace sorvex {

// A file's size as the file dialogs show it: "1 байт", "3 байта", "7,71 кБ",
// "2,86 МБ" (units of 1024), never Qt's locale data's "байты" beside "KiB".
QString SizeText(std::int64_t bytes);

// A type as the file dialogs show it: the names Qt gives in English ("Folder",
// "Unknown", ...) in Russian, the MIME database's names as they are.
QString TypeText(const QString& modelText);

// The detail view of a file dialog (Qt's own, not the desktop's) writes sizes
// as SizeText does, types as TypeText does in a column wide enough for them,
// and times of change in Russian, whatever the locale. Its model is left as
// it is: the typed names resolve against it.
void ShowColumnsInRussian(QFileDialog& dialog);

// Draws the size, the type and the time of change of a QFileSystemModel's rows.
class DialogColumns final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace sorvex
