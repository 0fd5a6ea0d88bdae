#pragma once

#include <QFont>
#include <QStyledItemDelegate>

#include <vector>

class QListWidget;

namespace sorvex {

// The entries of the file list share one size, so that tens of thousands of
// them are laid out at once; Qt takes that size from one sample entry, and a
// longer path was cut off at its width. This delegate widens the shared size
// to the widest caption, and the list scrolls sideways to the end of every path.
class WidestEntryDelegate : public QStyledItemDelegate {
public:
    explicit WidestEntryDelegate(QListWidget* list);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int WidestCaption(const QFont& font) const;

    QListWidget* list_;
    mutable bool stale_ = true; // entries added, removed or changed since widest_
    mutable int widest_ = 0; // pixels, at least any caption's width
    mutable QFont font_;
    mutable std::vector<float> advances_; // by UTF-16 unit, negative until measured
};

} // namespace sorvex
