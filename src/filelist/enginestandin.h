// TEMPORARY: stands in for the engine's path and text-file calls until the
// engine library provides them; removed when it does.
#pragma once

#include "pathseparator.h"

#include <QString>
#include <QStringList>

QString NormalizePath(const QString& path, QChar separator = nativePathSeparator);

struct FileLines {
    QStringList lines;
};
FileLines ReadFileLines(const QString& path);

bool FolderExists(const QString& path);
