#include "engine/textfile/temporaryname.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The temporary file's name holds at most this much of the target's name, so
// that a target whose name is as long as names may be still gets one.
constexpr qsizetype nameChars = 64;
// What tells a temporary file of ours, for instance one left by a hard kill.
constexpr char marker[] = ".tallowmere-tmp-";

} // namespace

QByteArray temporaryName(const QString& targetName)
{
    QString name = targetName;
    if (name.size() > nameChars)
        name.truncate(name.at(nameChars - 1).isHighSurrogate() ? nameChars - 1 : nameChars);
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray tail;
    for (int i = 0; i < 8; ++i)
        tail += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return QFile::encodeName(name.isEmpty() ? QString() : QLatin1Char('.') + name) + marker + tail;
}

bool isTemporaryName(const QByteArray& name)
{
    return name.startsWith('.') && name.contains(marker);
}

#ifdef Q_OS_UNIX
FileHandle createTemporaryIn(int folder, const QString& targetName, const QString& path, QByteArray& name)
{
    // A few names: another writer may just have taken one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName(targetName);
        const int fd = ::openat(folder, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0)
            return FileHandle(fd);
        if (errno != EEXIST) {
            const int error = errno;
            name.clear();
            throwFileError(path, error);
        }
    }
    name.clear();
    throwFileError(path, EEXIST);
}
#endif
