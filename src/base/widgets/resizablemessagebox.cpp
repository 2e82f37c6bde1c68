#include "base/widgets/resizablemessagebox.h"

#include <QEvent>
#include <QGridLayout>
#include <QTextEdit>

namespace {

void growable(QWidget* widget)
{
    if (widget->maximumSize() != QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX))
        widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QSizePolicy expanding(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (widget->sizePolicy() != expanding)
        widget->setSizePolicy(expanding);
}

} // namespace

bool ResizableMessageBox::event(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::LayoutRequest && type != QEvent::Resize && type != QEvent::Show)
        return QMessageBox::event(event);
    const QSize before = size();
    const bool handled = QMessageBox::event(event);
    // Qt's box fixes its size to what it needs at every layout; once the
    // details are unfolded the box may grow past it, and they with it.
    auto* details = findChild<QTextEdit*>();
    if (!details || !details->isVisible())
        return handled;
    const bool keepSize = type == QEvent::LayoutRequest && size() != before;
    QWidget* frame = details->parentWidget() != this ? details->parentWidget() : details;
    if (maximumSize() != QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)) {
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setSizeGripEnabled(true);
    }
    growable(frame);
    growable(details);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int at = grid->indexOf(frame);
        int row = 0, column = 0, rows = 0, columns = 0;
        if (at >= 0) {
            grid->getItemPosition(at, &row, &column, &rows, &columns);
            if (grid->rowStretch(row) == 0)
                grid->setRowStretch(row, 1);
        }
    }
    // The size the user gave it stays, unless the box now needs more.
    if (keepSize)
        resize(before.expandedTo(minimumSize()));
    return handled;
}
