#include "filelistview.h"

#include "filelistmodel.h"

#include <QHeaderView>

FileListView::FileListView(QWidget* parent) : QTreeView(parent), m_model(new FileListModel(this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    setToolTip(QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                              "Move | line to right and out of window to reveal full names."));
}
