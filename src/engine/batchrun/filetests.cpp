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

qint32 FileSize2(const QString& path)
{
    try {
        const SourceFile file(path);
        return static_cast<qint32>(static_cast<quint32>(file.size() & 0xFFFFFFFF));
    } catch (const Failure&) {
        return -1;
    }
}
