#include "base/statefolder.h"

#include <QDir>
#include <QStandardPaths>

QString stateFolder()
{
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tallowmere");
#else
    // A relative value is to be ignored, as the base-directory rules say.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/tallowmere");
#endif
}
