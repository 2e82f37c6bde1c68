// The folder scan shared by "Add All CSV File(s) In Folder" and the dropping of
// folders onto the list: the breadth-first sub-folder enumeration, the file
// search of one folder, and the loop that appends a folder set's files to the
// list. Qt Core only.
#pragma once

#include "filelist/folderreader.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <set>

class ErrorReporter;
class FileListModel;
class GuardedProcedure;

// Lets pending window events run; false once the command should stop because
// the window is closing.
using KeepGoing = std::function<bool()>;

// One scan: what the enumeration reports through and yields with, the folders
// it has reached, so that a folder reached again through links is not entered
// twice, and the files it saw in each folder, so that no folder is read twice.
struct FolderScan {
    FolderScan(ErrorReporter& reporter, KeepGoing keepGoing) : reporter(reporter), keepGoing(std::move(keepGoing)) { }

    ErrorReporter& reporter;
    KeepGoing keepGoing;
    std::set<FolderIdentity> reached;
    // Regular files by folder (as in the folder set), in no particular order.
    QHash<QString, QStringList> filesSeen;
    // Past the folders the scan started with.
    bool started = false;
    bool stopped = false;
};

// Appends to folderSet (paths ending in the separator) every sub-folder, at
// every depth, of the folders in it, breadth first; drops from it the folders
// that are missing or may not be read. Reports other failures itself.
void GetSubDirectories2016(QStringList& folderSet, bool recurse, FolderScan& scan);

// Names of the regular files directly inside the folder that match the
// wildcard pattern, hidden ones included, in the order the file system lists
// them. Empty when the folder is missing or may not be read; throws Failure for
// other errors.
QStringList ListFilesInFolder(const QString& folder, const QString& pattern);

// For each folder of the set in order: appends folder + separator + name,
// through NormalizePath, for every file ListFilesInFolder gives, except names
// beginning with "~" and hidden + archive files. A folder the scan has read
// already is not read again. Each folder is one step of the caller's
// procedure, so a failure skips that folder only.
void AppendFilesOfFolderSet(FileListModel& list, const QStringList& folderSet, const QString& pattern,
    GuardedProcedure& proc, int label, FolderScan& scan);
