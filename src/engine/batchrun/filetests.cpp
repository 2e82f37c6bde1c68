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
