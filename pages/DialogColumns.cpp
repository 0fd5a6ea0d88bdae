#include "pages/DialogColumns.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QLocale>

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
constexpr int ChangedColumn = 3;

} // namespace

QString SizeText(std::int64_t bytes)
{
    if (bytes < 1024)
        return Bytes(bytes);
    return Russian.formattedDataSize(bytes, 2, QLocale::DataSizeTraditionalFormat);
}

QVariant DialogColumns::data(const QModelIndex& index, int role) const
{
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr || role != Qt::DisplayRole)
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == SizeColumn && !files->isDir(source))
        return SizeText(files->size(source));
    if (index.column() == ChangedColumn)
        return Russian.toString(files->lastModified(source), QLocale::ShortFormat);
    return QIdentityProxyModel::data(index, role);
}

} // namespace sorvex
