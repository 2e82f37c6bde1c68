// The paths the file list takes from an open-file dialog. Qt Core only; used
// by "Add CSV File(s)" and "Load List Of Files From File".
#pragma once

#include "base/pathseparator.h"

#include <QStringList>

// One pick is taken unchanged; with several picks each path goes through
// NormalizePath (so "C:\\a.csv", a root folder joined with its name, becomes
// "C:\a.csv").
QStringList pickedFilePaths(const QStringList& picked, QChar separator = nativePathSeparator);
