#include "engine/textfile/sourceprobes.h"

#include "base/failure.h"
#include "engine/textfile/fileplace.h"
#include "engine/textfile/sourcefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

qint64 FileSize2(const QString& path)
{
    try {
        const SourceFile file(path);
        return file.size();
    } catch (const Failure&) {
        return -1;
    }
}

QString skipReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("missing");
    if (info.isDir())
        return QStringLiteral("a folder");
    try {
        const SourceFile file(path);
        if (file.size() == 0)
            return QStringLiteral("empty");
        // Only a file that changed between the two looks gets here.
        return QStringLiteral("changed while it was checked");
    } catch (const Failure& failure) {
        if (!info.isFile())
            return QStringLiteral("not a regular file");
        return QStringLiteral("not readable: ") + failure.description();
    }
}

QStringList fileKeys(const QString& path)
{
    QStringList keys{QStringLiteral("path:") + QDir::cleanPath(QFileInfo(path).absoluteFilePath())};
    try {
        const FilePlace place = locateFile(path);
        const FileIdentity identity = place.identity();
        if (identity.exists)
            keys << QStringLiteral("file:") + identity.key();
    } catch (const Failure&) {
        // Not there: the path alone tells it.
    }
    return keys;
}
