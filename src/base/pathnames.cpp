#include "base/pathnames.h"

QString GetFolderPath(const QString& path, QChar separator)
{
    const qsizetype last = path.lastIndexOf(separator);
    return last < 0 ? QString() : path.left(last + 1);
}

QString NormalizePath(const QString& path, QChar separator)
{
    const QString doubled(2, separator);
    if (!path.startsWith(separator))
        return QString(path).replace(doubled, QString(separator));
    qsizetype rest = 0;
    while (rest < path.size() && path[rest] == separator)
        ++rest;
    // Windows keeps network paths ("\\server"); a Unix root needs one slash.
    const QString lead(separator == u'\\' ? 2 : 1, separator);
    return lead + path.mid(rest).replace(doubled, QString(separator));
}
