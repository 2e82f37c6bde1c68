// How a row of ListView1 shows a path too long for its column: the folders
// lose their middle, the file name stays whole as long as it fits at all.
#pragma once

#include <QStyledItemDelegate>

class QFontMetrics;

// The path as it fits in width pixels: whole when it fits, otherwise the
// folder part elided in the middle before the whole file name, and only when
// even the name does not fit, the name elided in the middle.
QString elidePathKeepingName(const QString& path, const QFontMetrics& metrics, int width);

class PathElisionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
