#include "folderscan.h"

#include "errorreport.h"
#include "fileattributes.h"
#include "filelistmodel.h"
#include "filetests.h"
#include "namerules.h"
#include "pathrules.h"
#include "pathseparator.h"
#include "wildcard.h"

#include <algorithm>
#include <vector>

namespace {
const QChar separator = nativePathSeparator;

bool searchableFolder(const QString& folder)
{
    const int attributes = FileAttributes(folder);
    return (attributes != hiddenSystemFolder && attributes != hiddenSystemAliasFolder) || isDriveRoot(folder);
}

// The sub-folders of one folder that the enumeration keeps, in listing order.
QStringList subFolderNames(const QString& folder, FolderScan& scan)
{
    QStringList names;
    FolderReader reader(folder);
    std::vector<std::pair<QString, std::optional<FolderIdentity>>> entries;
    while (reader.next()) {
        if (reader.nameCarried() && reader.kind() == FolderReader::Kind::Folder)
            entries.emplace_back(reader.name(), reader.identity());
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return listedBefore(a.first, b.first); });
    for (const auto& [name, identity] : entries) {
        if (!scan.keepGoing()) {
            scan.stopped = true;
            break;
        }
        if (!nameWithinLimit(name) || HasUnsafeCharacters(name) || name.contains(QLatin1Char('?')))
            continue;
        // A folder reached before (a link loop, two links to one folder) is not entered again.
        if (identity && !scan.reached.insert(*identity).second)
            continue;
        names.append(name);
    }
    return names;
}

QStringList filesMatching(const QString& folder, const Wildcard& wildcard)
{
    std::vector<QString> names;
    try {
        FolderReader reader(folder);
        while (reader.next()) {
            if (reader.nameCarried() && wildcard.matches(reader.name()) && reader.kind() == FolderReader::Kind::File)
                names.push_back(reader.name());
        }
    } catch (const FolderRefused&) {
        return {};
    }
    std::sort(names.begin(), names.end(), listedBefore);
    return QStringList(names.begin(), names.end());
}
} // namespace

void GetSubDirectories2016(QStringList& folderSet, bool recurse, FolderScan& scan)
{
    GuardedProcedure proc(scan.reporter, subDirectoriesErrorLocation());
    QStringList found;
    proc.reach(100);

    const qsizetype startCount = folderSet.size();
    std::vector<bool> refused(static_cast<size_t>(startCount), false);
    for (qsizetype i = 0; i < startCount && !scan.stopped; ++i) {
        const QString folder = folderSet[i];
        bool exists = false;
        proc.step(102, [&] { exists = FolderExists(folder) && folderPathWithinLimit(folder); });
        if (!exists)
            continue;
        proc.reach(104);
        if (!scan.keepGoing()) {
            scan.stopped = true;
            break;
        }
        bool searchable = false;
        proc.step(106, [&] { searchable = searchableFolder(folder); });
        if (!searchable)
            continue;
        if (const auto identity = folderIdentity(folder))
            scan.reached.insert(*identity);
        proc.step(108, [&] {
            try {
                const QStringList names = subFolderNames(folder, scan);
                for (const QString& name : names)
                    found.append(folder + name + separator);
            } catch (const FolderRefused&) {
                refused[static_cast<size_t>(i)] = true;
            }
        });
    }
    for (qsizetype i = startCount - 1; i >= 0; --i) {
        if (refused[static_cast<size_t>(i)])
            folderSet.removeAt(i);
    }

    proc.reach(110);
    if (recurse && !found.isEmpty() && !scan.stopped)
        GetSubDirectories2016(found, true, scan);

    for (const QString& folder : std::as_const(found)) {
        if (scan.stopped)
            return;
        proc.step(112, [&] {
            if (!FolderExists(folder))
                return;
            if (!scan.keepGoing()) {
                scan.stopped = true;
                return;
            }
            if (searchableFolder(folder))
                folderSet.append(folder);
        });
    }
}

QStringList ListFilesInFolder(const QString& folder, const QString& pattern)
{
    return filesMatching(folder, Wildcard(pattern));
}

void AppendFilesOfFolderSet(FileListModel& list, const QStringList& folderSet, const QString& pattern,
                            GuardedProcedure& proc, int label)
{
    const Wildcard wildcard(pattern);
    for (const QString& entry : folderSet) {
        proc.step(label, [&] {
            const QString folder = entry.chopped(1);
            const QStringList names = filesMatching(folder, wildcard);
            for (const QString& name : names) {
                if (name.startsWith(QLatin1Char('~')))
                    continue;
                const QString path = folder + separator + name;
                // The listing has tested IsExistingFile; only a dot-name can be hidden.
                if (name.startsWith(QLatin1Char('.')) && FileAttributes(path) == hiddenArchiveOnly)
                    continue;
                list.Append(NormalizePath(path));
            }
        });
    }
}
