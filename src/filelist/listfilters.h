// The two text filters of the file list: remove every row whose path contains,
// or does not contain, a text, letter case ignored. Qt Core only; used by
// "Remove Filenames Contain. X" and "Remove Filenames Not Cont. X".
#pragma once

#include "filelist/folderscan.h"

#include <QString>

class FileListModel;

// Both let pending window events run once per row while they collect; the
// rows are then removed in one pass. Returns early, removing nothing, when
// keepGoing says the window is closing.
void RemoveEntriesContaining(FileListModel& list, const QString& text, const KeepGoing& keepGoing);
void RemoveEntriesNotContaining(FileListModel& list, const QString& text, const KeepGoing& keepGoing);
