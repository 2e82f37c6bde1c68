// The one way this program names and creates a temporary file beside a file
// it is about to replace: hidden, marked ".tallowmere-tmp-", new (never an
// existing name, never through a link), private until it takes its place.
// Used by the result writer, the files made ahead and the undo.
#pragma once

#include "engine/textfile/fileplace.h"

#include <QByteArray>
#include <QString>

// ".<up to 64 characters of the name>.tallowmere-tmp-<random>"; an empty
// name gives ".tallowmere-tmp-<random>".
QByteArray temporaryName(const QString& targetName);
// True for a name that temporaryName() may have given.
bool isTemporaryName(const QByteArray& name);

// Creates a new temporary file in the open folder, mode 0600, and gives its
// name. Throws Failure naming `path` (the file it is for) with the system's text.
FileHandle createTemporaryIn(int folder, const QString& targetName, const QString& path, QByteArray& name);
