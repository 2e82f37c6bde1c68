// What a row of the file list would be as a source, found the way the engine
// opens sources: its size, why it is skipped, what tells it from other rows.
// They never throw and never block.
#pragma once

#include <QString>
#include <QStringList>

// The size of a regular file that can be opened for reading, all 64 bits of
// it; -1 for anything else.
qint64 FileSize2(const QString& path);

// Why a row that FileSize2 refuses is skipped: "empty", "missing", "a folder",
// "not a regular file", or "not readable: " and the system's reason.
QString skipReason(const QString& path);

// What tells the file a row names from the files of other rows: its device
// and inode where it can be found, and its path made absolute and clean.
QStringList fileKeys(const QString& path);
