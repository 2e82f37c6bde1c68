#include "base/folderprobes.h"

#include "base/failure.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool FolderExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(path).isDir();
}

QString folderWriteProblem(const QString& folder)
{
    // A result is made as a new file in the folder: that takes writing and
    // searching it, asked as the user the run writes as. Nothing is created,
    // so the check leaves no trace in the folder.
    const QByteArray path = QFile::encodeName(folder);
    if (faccessat(AT_FDCWD, path.constData(), W_OK | X_OK, AT_EACCESS) == 0)
        return {};
    return systemErrorText(errno);
}
