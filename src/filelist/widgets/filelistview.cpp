#include "filelist/widgets/filelistview.h"

#include "base/windowpointer.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/pathelision.h"

#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

FileListView::FileListView(QWidget* parent) : QTreeView(parent), m_model(new FileListModel(this)), m_reorder(*m_model)
{
    setModel(m_model);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A path too long for the column loses the middle of its folders, not its file name.
    setTextElideMode(Qt::ElideMiddle);
    setItemDelegate(new PathElisionDelegate(this));
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
    // The view marks its current row only once it gets the focus with rows in
    // it; rows that arrive while it has the focus (at start it has it, empty)
    // would show no mark of where the keys start.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &FileListView::markFirstRow);
}

void FileListView::markFirstRow()
{
    if (!currentIndex().isValid() && m_model->rowCount() > 0)
        selectionModel()->setCurrentIndex(m_model->index(0), QItemSelectionModel::NoUpdate);
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

int FileListView::rowsPerPage() const
{
    const int height = m_model->rowCount() > 0 ? rowHeight(m_model->index(0)) : 0;
    return height > 0 ? qMax(1, viewport()->height() / height - 1) : 1;
}

int FileListView::rowForKey(const QKeyEvent* event) const
{
    const int last = m_model->rowCount() - 1;
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    switch (event->key()) {
    case Qt::Key_Home: return 0;
    case Qt::Key_End: return last;
    case Qt::Key_PageUp: return qMax(0, row - rowsPerPage());
    case Qt::Key_PageDown: return qMin(last, row < 0 ? 0 : row + rowsPerPage());
    case Qt::Key_Up: return qMax(0, row - 1);
    case Qt::Key_Down: return qMin(last, row + 1);
    default: return -1;
    }
}

void FileListView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        emit removeKeyPressed();
        event->accept();
        return;
    }
    // Home, End and the page keys select a row and bring it into view, with or
    // without Ctrl; the view's own handling moves only its cursor.
    if (modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier) {
        const int row = rowForKey(event);
        if (row >= 0 && m_model->rowCount() > 0) {
            const QModelIndex target = m_model->index(row);
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            scrollTo(target, QAbstractItemView::EnsureVisible);
            event->accept();
            return;
        }
        if (row >= 0) {
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
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
        selectionModel()->setCurrentIndex(
            m_model->index(step.select - 1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
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
