// File-system tests of the batch run and the folder scan; they never throw
// and never block.
#pragma once

#include <QString>
#include <QStringList>

// True when the path names an existing folder; false for a file, a missing or
// empty path and any failure.
bool FolderExists(const QString& path);

// Why no result can be made in this existing folder: the system's reason
// ("Permission denied", "Read-only file system"), or "" when one can.
QString folderWriteProblem(const QString& folder);

// The size of a regular file that can be opened for reading, all 64 bits of
// it; -1 for anything else.
qint64 FileSize2(const QString& path);

// Why a row that FileSize2 refuses is skipped: "empty", "missing", "a folder",
// "not a regular file", or "not readable: " and the system's reason.
QString skipReason(const QString& path);

// What tells the file a row names from the files of other rows: its device
// and inode where it can be found, and its path made absolute and clean.
QStringList fileKeys(const QString& path);
