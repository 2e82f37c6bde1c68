#include "filelist/widgets/filelistview.h"

#include "filelist/filelistmodel.h"
#include "base/windowpointer.h"

#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

FileListView::FileListView(QWidget* parent)
    : QTreeView(parent), m_model(new FileListModel(this)), m_reorder(*m_model)
{
    setModel(m_model);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Rows are only reordered inside the list, never dragged out of it; the
    // reordering scrolls by itself.
    setDragEnabled(false);
    setAutoScroll(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    setToolTip(QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                              "Move | line to right and out of window to reveal full names."));
}

int FileListView::SelectedIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void FileListView::press(QMouseEvent* event)
{
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid()) {
        selectionModel()->setCurrentIndex(under, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        viewport()->setCursor(m_dragCursor ? *m_dragCursor : QCursor(Qt::ArrowCursor));
        m_reorder.rowClicked(under.row() + 1);
    }
    m_reorder.buttonDown();
}

void FileListView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    press(event);
    event->accept();
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click is a press like any other.
    press(event);
    event->accept();
    emit listDoubleClicked();
}

void FileListView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_windowPointer)
        m_windowPointer->hover(WindowPointer::Default);
    if (!m_reorder.pressed()) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    const QModelIndex under = indexAt(event->position().toPoint());
    // The screen coordinate, as the pointer is, not as the event reports it.
    const RowReorder::Step step = m_reorder.pointerMoved(under.isValid() ? under.row() + 1 : 0, QCursor::pos().y());
    if (step.select > 0)
        selectionModel()->setCurrentIndex(m_model->index(step.select - 1),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (step.scrollTo > 0)
        scrollTo(m_model->index(step.scrollTo - 1), QAbstractItemView::EnsureVisible);
    event->accept();
}

void FileListView::mouseReleaseEvent(QMouseEvent* event)
{
    m_reorder.buttonUp();
    // Back to the window's pointer: the arrow, or the hourglass of a long
    // command, which must show over the list as over every other control.
    viewport()->unsetCursor();
    event->accept();
}

QStringList FileListView::droppedPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            return {};
        paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    return paths;
}

bool FileListView::acceptFiles(QDropEvent* event)
{
    // Taken as a copy, never as a move: a file manager that sees its files
    // "moved" may delete them.
    const Qt::DropActions possible = event->possibleActions();
    const Qt::DropAction action = (possible & Qt::CopyAction) ? Qt::CopyAction
        : (possible & Qt::LinkAction)                         ? Qt::LinkAction
                                                              : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction || droppedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

void FileListView::dragEnterEvent(QDragEnterEvent* event)
{
    acceptFiles(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent* event)
{
    // Accepted on every move too: a move left unanswered refuses the drop.
    acceptFiles(event);
}

void FileListView::dragLeaveEvent(QDragLeaveEvent* event)
{
    event->accept();
}

void FileListView::dropEvent(QDropEvent* event)
{
    if (acceptFiles(event))
        emit filesDropped(droppedPaths(event->mimeData()));
}
