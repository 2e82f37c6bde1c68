#include "filelistmodel.h"

#include "failure.h"

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) {}

void FileListModel::Append(const QString& path)
{
    const int row = Count();
    beginInsertRows({}, row, row);
    m_rows.push_back(path);
    endInsertRows();
}

void FileListModel::checkIndex(int index) const
{
    if (index < 1 || index > Count())
        throw Failure(QStringLiteral("Index out of bounds"));
}

QString FileListModel::Text(int index) const
{
    checkIndex(index);
    return m_rows[static_cast<size_t>(index - 1)];
}

void FileListModel::Remove(int index)
{
    checkIndex(index);
    beginRemoveRows({}, index - 1, index - 1);
    m_rows.erase(m_rows.begin() + (index - 1));
    endRemoveRows();
}

void FileListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

bool FileListModel::ListContainsFile(const QString& path) const
{
    bool found = false;
    for (const QString& row : m_rows)
        found = found || row == path;
    return found;
}

void FileListModel::setHeaderText(const QString& text)
{
    m_header = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_rows[static_cast<size_t>(index.row())];
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}
