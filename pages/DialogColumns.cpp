#include "pages/DialogColumns.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>

namespace sorvex {

namespace {

const QLocale Russian(QLocale::Russian, QLocale::Russia);

// 1 байт, 2 байта, 5 байт, 11 байт, 21 байт, 22 байта.
QString Bytes(std::int64_t count)
{
    const std::int64_t lastTwo = count % 100;
    const std::int64_t last = count % 10;
    const bool teens = lastTwo >= 11 && lastTwo <= 14;
    const QString unit = !teens && last == 1                ? QStringLiteral("байт")
                         : !teens && last >= 2 && last <= 4 ? QStringLiteral("байта")
                                                            : QStringLiteral("байт");
    return Russian.toString(static_cast<qlonglong>(count)) + u' ' + unit;
}

// The columns of a QFileSystemModel.
constexpr int SizeColumn = 1;
constexpr int TypeColumn = 2;
constexpr int ChangedColumn = 3;

// The longest of the usual type names: the type column is made as wide.
const QString WidestType = QStringLiteral("Текстовый документ");

} // namespace

QString SizeText(std::int64_t bytes)
{
    if (bytes < 1024)
        return Bytes(bytes);
    return Russian.formattedDataSize(bytes, 2, QLocale::DataSizeTraditionalFormat);
}

QString TypeText(const QString& modelText)
{
    // Qt names these itself, in English; a file's type comes from the MIME
    // database, in the default locale's language.
    const struct {
        const char* english;
        const char* russian;
    } words[] = {
        {"Folder", "Папка"}, {"Alias", "Ссылка"}, {"Shortcut", "Ссылка"}, {"Drive", "Диск"}, {"Unknown", "Неизвестно"}};
    for (const auto& word : words) {
        if (modelText == QLatin1String(word.english))
            return QString::fromUtf8(word.russian);
    }
    return modelText;
}

void DialogColumns::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const auto* files = qobject_cast<const QFileSystemModel*>(index.model());
    if (files == nullptr)
        return;
    if (index.column() == SizeColumn && !files->isDir(index))
        option->text = SizeText(files->size(index));
    else if (index.column() == TypeColumn)
        option->text = TypeText(option->text);
    else if (index.column() == ChangedColumn)
        option->text = Russian.toString(files->lastModified(index), QLocale::ShortFormat);
}

void ShowColumnsInRussian(QFileDialog& dialog)
{
    auto* const details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (details == nullptr)
        return;
    auto* const columns = new DialogColumns(details);
    details->setItemDelegateForColumn(SizeColumn, columns);
    details->setItemDelegateForColumn(TypeColumn, columns);
    details->setItemDelegateForColumn(ChangedColumn, columns);
    // The item view keeps this margin on each side of a cell's text; twice over, for the header's.
    const int margin = details->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, details) + 1;
    details->header()->resizeSection(TypeColumn, details->fontMetrics().horizontalAdvance(WidestType) + 4 * margin);
}

} // namespace sorvex
