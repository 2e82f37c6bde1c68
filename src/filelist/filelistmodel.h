// The file list: the ordered rows of paths a batch run processes, shown in one
// "File(s)" column of ListView1. Indexes of the FileList operations count from
// 1. Qt Core only; every command of the file list and the batch run use it.
//
// Large lists stay fast: Append announces new rows to views at most every
// publishInterval (a view lays out all its rows after each announcement), and
// RemoveRows drops any number of rows in one pass.
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <vector>

class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int publishInterval = 100; // milliseconds

    explicit FileListModel(QObject* parent = nullptr);

    // Adds one row at the end; no checks.
    void Append(const QString& path);
    int Count() const { return static_cast<int>(m_rows.size()); }
    // index 1..Count; throws Failure outside that range.
    QString Text(int index) const;
    // Later rows move up by one.
    void Remove(int index);
    void Clear();
    // Exact, case-sensitive comparison of whole texts.
    bool ListContainsFile(const QString& path) const;

    // Swaps the texts of two rows; no other row changes.
    void Exchange(int first, int second);
    // Removes the rows at these indexes (any order, repeats allowed) in one
    // pass; the other rows keep their order. Throws Failure for an index out
    // of range, before anything is removed.
    void RemoveRows(const std::vector<int>& indexes);

    // Announces appended rows to the views now rather than at the next tick.
    void publishPending();

    void setHeaderText(const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void checkIndex(int index) const;

    std::vector<QString> m_rows;
    // Rows the views know of: the first m_published of m_rows.
    int m_published = 0;
    QTimer m_publishTimer;
    QElapsedTimer m_sincePublished;
    QString m_header;
};
