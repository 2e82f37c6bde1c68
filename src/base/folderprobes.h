// Folder tests of the batch run and the folder scan; they never throw and
// never block.
#pragma once

#include <QString>

// True when the path names an existing folder; false for a file, a missing or
// empty path and any failure.
bool FolderExists(const QString& path);

// Why no result can be made in this existing folder: the system's reason
// ("Permission denied", "Read-only file system"), or "" when one can.
QString folderWriteProblem(const QString& folder);
