#include "filelist/filelistmodel.h"

#include "base/failure.h"

#include <algorithm>

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent)
{
    m_publishTimer.setSingleShot(true);
    connect(&m_publishTimer, &QTimer::timeout, this, &FileListModel::publishPending);
}

void FileListModel::Append(const QString& path)
{
    m_rows.push_back(path);
    if (m_publishTimer.isActive())
        return;
    // A single add shows at once; a burst is announced once per interval.
    const qint64 since = m_sincePublished.isValid() ? m_sincePublished.elapsed() : publishInterval;
    if (since >= publishInterval)
        publishPending();
    else
        m_publishTimer.start(static_cast<int>(publishInterval - since));
}

void FileListModel::publishPending()
{
    m_publishTimer.stop();
    if (m_published == Count())
        return;
    beginInsertRows({}, m_published, Count() - 1);
    m_published = Count();
    endInsertRows();
    m_sincePublished.start();
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
    publishPending();
    beginRemoveRows({}, index - 1, index - 1);
    m_rows.erase(m_rows.begin() + (index - 1));
    m_published = Count();
    endRemoveRows();
}

void FileListModel::Clear()
{
    beginResetModel();
    m_publishTimer.stop();
    m_rows.clear();
    m_published = 0;
    endResetModel();
}

bool FileListModel::ListContainsFile(const QString& path) const
{
    return std::find(m_rows.begin(), m_rows.end(), path) != m_rows.end();
}

void FileListModel::Exchange(int first, int second)
{
    checkIndex(first);
    checkIndex(second);
    publishPending();
    std::swap(m_rows[static_cast<size_t>(first - 1)], m_rows[static_cast<size_t>(second - 1)]);
    const QModelIndex a = index(first - 1);
    const QModelIndex b = index(second - 1);
    emit dataChanged(a, a, {Qt::DisplayRole});
    emit dataChanged(b, b, {Qt::DisplayRole});
}

void FileListModel::RemoveRows(const std::vector<int>& indexes)
{
    for (int index : indexes)
        checkIndex(index);
    if (indexes.empty())
        return;
    publishPending();

    std::vector<bool> removed(m_rows.size(), false);
    for (int index : indexes)
        removed[static_cast<size_t>(index - 1)] = true;

    // A layout change rather than one removal per row: views and selections
    // follow the surviving rows through their persistent indexes.
    emit layoutAboutToBeChanged();
    std::vector<int> newRow(m_rows.size(), -1);
    size_t kept = 0;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (removed[row])
            continue;
        newRow[row] = static_cast<int>(kept);
        if (kept != row)
            m_rows[kept] = std::move(m_rows[row]);
        ++kept;
    }
    m_rows.resize(kept);
    m_published = Count();

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        const int row = old.row() >= 0 && old.row() < static_cast<int>(newRow.size()) ? newRow[old.row()] : -1;
        to.append(row >= 0 ? index(row) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged();
}

void FileListModel::setHeaderText(const QString& text)
{
    m_header = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_published;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_published || index.column() != 0)
        return {};
    // A row shown elided keeps its whole path for the tool tip and for screen readers.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return m_rows[static_cast<size_t>(index.row())];
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
