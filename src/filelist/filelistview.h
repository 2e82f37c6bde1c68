// ListView1: the one-column report view over the file list.
#pragma once

#include <QTreeView>

class FileListModel;

class FileListView : public QTreeView {
    Q_OBJECT

public:
    explicit FileListView(QWidget* parent = nullptr);

    FileListModel* fileList() const { return m_model; }

private:
    FileListModel* m_model;
};
