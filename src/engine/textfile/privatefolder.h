// Folders that hold this program's own records and old versions of the
// user's files, reached only through folder handles: every name inside is
// opened without following links, and nothing another user owns or could
// have put there is trusted. Used for the run reports and the undo data.
#pragma once

#include "engine/textfile/fileplace.h"

#include <QByteArray>
#include <QString>

// Opens the folder at `path` (an absolute path), creating what is missing
// (0700), and makes it 0700. Throws Failure "<folder> is not private" when
// the folder or a folder above it belongs to another user (root aside) or
// may be written by others (a sticky folder such as /tmp aside), and the
// system's text naming the folder when it cannot be made or opened.
FileHandle openPrivateFolder(const QString& path);

// The folder `name` in an open private folder, created when missing, made
// 0700; never a link, never another user's. Throws Failure naming `path`.
FileHandle openPrivateSubfolder(int folder, const QByteArray& name, const QString& path);

// True when the entry `name` in `folder` belongs to this user and no one
// else may write it; a link is never private.
bool isOwnEntry(int folder, const QByteArray& name);

// Removes `name` from the open folder and, for a folder, all it holds; links
// are removed, never followed. False when something could not be removed.
bool removeTree(int folder, const QByteArray& name);

// The names in an open folder, "." and ".." left out.
QList<QByteArray> folderEntries(int folder);

// Writes `bytes` as the new file `name` in the open folder, mode 0600, through
// a temporary name and a rename, synced. Throws Failure naming `path`.
void writePrivateFile(int folder, const QByteArray& name, const QByteArray& bytes, const QString& path);

// The path an open folder lies at now, for messages; `fallback` where the
// system cannot tell.
QString folderPath(int folder, const QString& fallback);
