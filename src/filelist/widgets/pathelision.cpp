#include "filelist/widgets/pathelision.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>

QString elidePathKeepingName(const QString& path, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    // Both separators: a row holds a path as its adder wrote it.
    const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    const QString name = path.mid(cut);
    const int folderWidth = width - metrics.horizontalAdvance(name);
    const QString folder = metrics.elidedText(path.left(cut), Qt::ElideMiddle, folderWidth);
    if (cut == 0 || folder.isEmpty())
        return metrics.elidedText(path, Qt::ElideMiddle, width);
    return folder + name;
}

void PathElisionDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->rect.width() <= 0 || !option->features.testFlag(QStyleOptionViewItem::HasDisplay))
        return;
    // The style draws text inside a margin on either side of the cell.
    const QStyle* style = option->widget ? option->widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, option, option->widget) + 1;
    option->text = elidePathKeepingName(option->text, option->fontMetrics, option->rect.width() - 2 * margin);
}
