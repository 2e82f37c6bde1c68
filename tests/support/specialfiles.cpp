#include "support/specialfiles.h"

#include <QFile>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

bool makeFifo(const QString& path)
{
#if defined(Q_OS_UNIX)
    return ::mkfifo(QFile::encodeName(path), 0600) == 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}
