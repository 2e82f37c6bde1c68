#include "base/desktopfolder.h"

#include "base/failure.h"
#include "base/pathseparator.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString withTrailingSeparator(const QString& folder)
{
    QString path = QDir::toNativeSeparators(folder);
    if (!path.endsWith(nativePathSeparator))
        path += nativePathSeparator;
    return path;
}
} // namespace

QString DesktopFolderPath()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        throw Failure(QStringLiteral("The desktop folder is not known"));
    return withTrailingSeparator(desktop);
}

QString DefaultOutputFolder()
{
    // A desktop folder the platform names but nobody made would fail the
    // first "Start Replacing" before the user did anything wrong.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return withTrailingSeparator(desktop);
    return withTrailingSeparator(QDir::homePath());
}
