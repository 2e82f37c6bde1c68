#include "filelist/folderscan.h"

#include "base/errorreport.h"
#include "base/folderprobes.h"
#include "base/pathnames.h"
#include "base/pathseparator.h"
#include "filelist/fileattributes.h"
#include "filelist/filelistmodel.h"
#include "filelist/namerules.h"
#include "filelist/wildcard.h"

#include <algorithm>
#include <vector>

namespace {
const QChar separator = nativePathSeparator;

bool searchableFolder(const QString& folder)
{
    // Only hidden + system folders are passed over, and only Windows has a
    // system attribute.
    if (!systemAttributeExists)
        return true;
    const int attributes = FileAttributes(folder);
    return (attributes != hiddenSystemFolder && attributes != hiddenSystemAliasFolder) || isDriveRoot(folder);
}

// The sub-folders of one folder that the enumeration keeps, in listing order;
// the folder's files are noted for the file search.
QStringList subFolderNames(const QString& folder, FolderScan& scan)
{
    QStringList names;
    FolderReader reader(folder);
    std::vector<std::pair<QString, std::optional<FolderIdentity>>> entries;
    QStringList files;
    while (reader.next()) {
        if (!reader.nameCarried())
            continue;
        switch (reader.kind()) {
        case FolderReader::Kind::Folder: entries.emplace_back(reader.name(), reader.identity()); break;
        case FolderReader::Kind::File: files.append(reader.name()); break;
        case FolderReader::Kind::Other: break;
        }
    }
    scan.filesSeen.insert(folder, files);
    std::sort(
        entries.begin(), entries.end(), [](const auto& a, const auto& b) { return listedBefore(a.first, b.first); });
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
    QStringList names;
    try {
        FolderReader reader(folder);
        while (reader.next()) {
            if (reader.nameCarried() && wildcard.matches(reader.name()) && reader.kind() == FolderReader::Kind::File)
                names.append(reader.name());
        }
    } catch (const FolderRefused&) {
        return {};
    }
    std::sort(names.begin(), names.end(), listedBefore);
    return names;
}

QStringList seenFilesMatching(QStringList seen, const Wildcard& wildcard)
{
    seen.removeIf([&](const QString& name) { return !wildcard.matches(name); });
    std::sort(seen.begin(), seen.end(), listedBefore);
    return seen;
}
} // namespace

// Labels of the steps below, as error reports give them.
namespace subDirectoriesStep {
constexpr int folderExists = 102, searchable = 106, subFolders = 108, keepFound = 112;
}

void GetSubDirectories2016(QStringList& folderSet, bool recurse, FolderScan& scan)
{
    GuardedProcedure proc(scan.reporter, subDirectoriesErrorLocation());
    QStringList found;

    const qsizetype startCount = folderSet.size();
    std::vector<bool> refused(static_cast<size_t>(startCount), false);
    for (qsizetype i = 0; i < startCount && !scan.stopped; ++i) {
        const QString folder = folderSet[i];
        bool exists = false;
        proc.step(
            subDirectoriesStep::folderExists, [&] { exists = FolderExists(folder) && folderPathWithinLimit(folder); });
        if (!exists)
            continue;
        if (!scan.keepGoing()) {
            scan.stopped = true;
            break;
        }
        bool searchable = false;
        proc.step(subDirectoriesStep::searchable, [&] { searchable = searchableFolder(folder); });
        if (!searchable)
            continue;
        // Sub-folders are recorded as they are found; the chosen folders here.
        if (!scan.started) {
            if (const auto identity = folderIdentity(folder))
                scan.reached.insert(*identity);
        }
        proc.step(subDirectoriesStep::subFolders, [&] {
            try {
                const QStringList names = subFolderNames(folder, scan);
                for (const QString& name : names)
                    found.append(folder + name + separator);
            } catch (const FolderRefused&) {
                refused[static_cast<size_t>(i)] = true;
            }
        });
    }
    scan.started = true;
    for (qsizetype i = startCount - 1; i >= 0; --i) {
        if (refused[static_cast<size_t>(i)])
            folderSet.removeAt(i);
    }

    if (recurse && !found.isEmpty() && !scan.stopped)
        GetSubDirectories2016(found, true, scan);

    for (const QString& folder : std::as_const(found)) {
        if (scan.stopped)
            return;
        proc.step(subDirectoriesStep::keepFound, [&] {
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
    GuardedProcedure& proc, int label, FolderScan& scan)
{
    const Wildcard wildcard(pattern);
    for (const QString& entry : folderSet) {
        proc.step(label, [&] {
            const QString folder = entry.chopped(1);
            // Taken out as used: the names of one folder are needed once.
            const QStringList names = scan.filesSeen.contains(entry)
                ? seenFilesMatching(scan.filesSeen.take(entry), wildcard)
                : filesMatching(folder, wildcard);
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
