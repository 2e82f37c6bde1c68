#include "filelist/listfilters.h"

#include "filelist/filelistmodel.h"

#include <vector>

namespace {
bool rowContains(const QString& row, const QString& loweredText)
{
    return row.toLower().contains(loweredText);
}

void removeEntries(FileListModel& list, const QString& text, bool containing, const KeepGoing& keepGoing)
{
    const QString lowered = text.toLower();
    const int count = list.Count();
    std::vector<int> collected;
    for (int i = 1; i <= count; ++i) {
        if (!keepGoing())
            return;
        // Another command may have removed rows meanwhile.
        if (i > list.Count())
            break;
        if (rowContains(list.Text(i), lowered) == containing)
            collected.push_back(i);
    }
    // Rows may also have been exchanged or removed while events ran: remove a
    // collected row only while it still is one the filter means.
    std::vector<int> removable;
    removable.reserve(collected.size());
    for (int i : collected) {
        if (i <= list.Count() && rowContains(list.Text(i), lowered) == containing)
            removable.push_back(i);
    }
    list.RemoveRows(removable);
}
} // namespace

void RemoveEntriesContaining(FileListModel& list, const QString& text, const KeepGoing& keepGoing)
{
    removeEntries(list, text, true, keepGoing);
}

void RemoveEntriesNotContaining(FileListModel& list, const QString& text, const KeepGoing& keepGoing)
{
    removeEntries(list, text, false, keepGoing);
}
