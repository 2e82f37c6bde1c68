// A file's result made ahead, in memory, by another thread while the run was
// busy with the files before it (FilesAhead). The entry takes it in place of
// reading and replacing only when the file is still the one that was read.
#pragma once

#include "engine/textfile/fileplace.h"

#include <QByteArray>

struct PreparedResult {
    FileIdentity identity; // the source as it was opened to be read
    QByteArray bytes; // the whole result, mark and all, as it would be written
    qint64 replacements = 0;
    bool taken = false; // set by the entry that wrote it
};
