// The file list: the ordered rows of paths a batch run processes, in one
// "File(s)" column. Indexes of the FileList operations count from 1.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <vector>

class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit FileListModel(QObject* parent = nullptr);

    void Append(const QString& path);
    int Count() const { return static_cast<int>(m_rows.size()); }
    // index 1..Count; throws Failure outside that range.
    QString Text(int index) const;
    void Remove(int index);
    void Clear();
    bool ListContainsFile(const QString& path) const;

    void setHeaderText(const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void checkIndex(int index) const;

    std::vector<QString> m_rows;
    QString m_header;
};
