#include "engine/batchrun/filetests.h"

#include "base/failure.h"
#include "engine/textfile/sourcefile.h"

#include <QFileInfo>

bool FolderExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(path).isDir();
}

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
