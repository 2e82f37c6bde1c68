// ListView1: the one-column report view over the file list. It turns its
// mouse events into the drag reordering, accepts drops of files and folders
// from the file manager, and reports drops and double-clicks to the file
// list's commands.
#pragma once

#include "filelist/rowreorder.h"

#include <QCursor>
#include <QStringList>
#include <QTreeView>

#include <optional>

class FileListModel;
class QMimeData;
class WindowPointer;

class FileListView : public QTreeView {
    Q_OBJECT

public:
    explicit FileListView(QWidget* parent = nullptr);

    FileListModel* fileList() const { return m_model; }
    // The selected row (from 1), or 0 when no row is selected.
    int SelectedIndex() const;
    const RowReorder& reorder() const { return m_reorder; }

    // The window pointer that moves over the list reset to the default.
    void setWindowPointer(WindowPointer* pointer) { m_windowPointer = pointer; }
    // The pointer shown while a row is dragged; an ordinary one without it.
    void setDragCursor(const std::optional<QCursor>& cursor) { m_dragCursor = cursor; }

    // The local paths a drag carries; empty when it carries anything else.
    static QStringList droppedPaths(const QMimeData* data);

signals:
    void filesDropped(const QStringList& paths);
    void listDoubleClicked();
    // Delete pressed in the list: the keyboard's way to the double-click removal.
    void removeKeyPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void press(QMouseEvent* event);
    // Makes the first row current, without selecting it, when no row is.
    void markFirstRow();
    // The row (from 0) a navigation key moves the selection to, or -1 for a key
    // that is not one of them.
    int rowForKey(const QKeyEvent* event) const;
    int rowsPerPage() const;
    // Accepts a drag of local files as a copy; refuses anything else.
    bool acceptFiles(QDropEvent* event);

    FileListModel* m_model;
    RowReorder m_reorder;
    WindowPointer* m_windowPointer = nullptr;
    std::optional<QCursor> m_dragCursor;
};
