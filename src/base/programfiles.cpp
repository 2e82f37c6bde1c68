#include "base/programfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// The folder the pointer file names, or "" without a usable one. A relative
// name counts from the program folder.
QString dataFolder(const QString& programFolder)
{
    QFile pointer(programFolder + dataFolderPointer);
    if (!pointer.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString named = QString::fromUtf8(pointer.readLine()).trimmed();
    if (named.isEmpty())
        return {};
    return QDir(programFolder).absoluteFilePath(named);
}
} // namespace

QString programFile(const QString& programFolder, const QString& name)
{
    const QString beside = QDir::toNativeSeparators(programFolder + name);
    // exists() follows links: a link whose target is gone counts as missing.
    if (QFileInfo::exists(beside))
        return beside;
    const QString data = dataFolder(programFolder);
    if (data.isEmpty())
        return beside;
    const QString there = QDir::toNativeSeparators(QDir(data).filePath(name));
    return QFileInfo::exists(there) ? there : beside;
}
