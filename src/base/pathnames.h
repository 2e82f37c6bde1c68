// Path names as the replacement engine and the file list build them, written for any
// separator (the platform's by default; tests also use the backslash).
#pragma once

#include "base/pathseparator.h"

#include <QString>

// The path up to and including its last separator; "" when it has none.
QString GetFolderPath(const QString& path, QChar separator = nativePathSeparator);

// Doubled separators collapse in one left-to-right pass (three become two).
// A leading run of separators becomes exactly two backslashes (a network
// path) with the backslash, and exactly one "/" with the slash.
QString NormalizePath(const QString& path, QChar separator = nativePathSeparator);
