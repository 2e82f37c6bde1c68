#include "pairs/setsfolder.h"

#include "base/settings.h"

#include <QDir>
#include <QFileInfo>

QString setsStartFolder()
{
    return GetSetting(setsFolderKey, QString());
}

void rememberSetsFolder(const QString& pickedFile)
{
    SaveSetting(setsFolderKey, QDir::toNativeSeparators(QFileInfo(pickedFile).absolutePath()));
}
