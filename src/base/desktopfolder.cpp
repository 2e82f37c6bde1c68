#include "base/desktopfolder.h"

#include "base/failure.h"
#include "base/pathseparator.h"

#include <QDir>
#include <QStandardPaths>

QString DesktopFolderPath()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        throw Failure(QStringLiteral("The desktop folder is not known"));
    QString path = QDir::toNativeSeparators(desktop);
    if (!path.endsWith(nativePathSeparator))
        path += nativePathSeparator;
    return path;
}
