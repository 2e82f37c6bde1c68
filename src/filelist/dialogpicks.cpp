#include "filelist/dialogpicks.h"

#include "base/pathnames.h"

QStringList pickedFilePaths(const QStringList& picked, QChar separator)
{
    if (picked.size() <= 1)
        return picked;
    // The dialog reports several picks as their folder and names; joining them
    // gives each full path (a root folder's doubled separator included), which
    // NormalizePath then cleans.
    QStringList paths;
    paths.reserve(picked.size());
    for (const QString& path : picked)
        paths.append(NormalizePath(path, separator));
    return paths;
}
