#pragma once

#include <QIdentityProxyModel>
#include <QString>

#include <cstdint>

namespace sorvex {

// A file's size as the file dialogs show it: "1 байт", "3 байта", "7,71 кБ",
// "2,86 МБ" (units of 1024), never Qt's locale data's "байты" beside "KiB".
QString SizeText(std::int64_t bytes);

// Put between a file dialog and its file system model: sizes as SizeText
// writes them and times of change in Russian, whatever the locale.
class DialogColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

} // namespace sorvex
