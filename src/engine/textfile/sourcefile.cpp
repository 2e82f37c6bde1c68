#include "engine/textfile/sourcefile.h"

#include "base/failure.h"

#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

[[noreturn]] void throwNotRegular(const QString& path)
{
    throwFileFailure(path, QStringLiteral("Not a regular file"));
}

// A name that turns into a link between the look and the open is looked at
// again, so that the link is judged like any other; this often, no more.
constexpr int openAttempts = 3;

} // namespace

SourceFile::SourceFile(const QString& path, const std::function<void(const QString&)>& afterOpen)
{
#ifdef Q_OS_UNIX
    for (int attempt = 1;; ++attempt) {
        m_place = locateFile(path);
        // Looked at before it is opened: a socket can't be opened at all, and
        // opening a device or a FIFO can act on it.
        const FileIdentity seen = m_place.identity();
        if (!seen.exists)
            throwFileError(path, ENOENT);
        if (!seen.regular)
            throwNotRegular(path);
        // No links followed here: the name was resolved above. Non-blocking so
        // that a FIFO put in the file's place meanwhile still returns at once.
        const int fd = ::openat(
            m_place.folder.get(), m_place.name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0 && errno == ELOOP && attempt < openAttempts)
            continue;
        if (fd < 0)
            throwFileError(path, errno);
        m_opened = identityOfHandle(fd);
        if (!m_opened.regular) {
            ::close(fd);
            throwNotRegular(path);
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#ifdef Q_OS_LINUX
        // Read from start to end: the system reads further ahead.
        (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
        if (!m_file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            throwFileFailure(path, m_file.errorString());
        }
        break;
    }
#else
    m_place = locateFile(path);
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throwNotRegular(path);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throwFileFailure(path, m_file.errorString());
    m_opened = m_place.identity();
    m_opened.size = m_file.size();
#endif
    if (afterOpen)
        afterOpen(path);
}

qsizetype SourceFile::read(char* buffer, qsizetype maxSize)
{
    qsizetype total = 0;
    const qsizetype wanted = static_cast<qsizetype>(qMin<qint64>(maxSize, m_opened.size - m_position));
    while (total < wanted) {
        const qint64 got = m_file.read(buffer + total, wanted - total);
        if (got < 0)
            throwFileFailure(path(), m_file.errorString());
        // Cut short by another program: what is left is no whole text.
        if (got == 0)
            throwChangedDuringRun(path());
        total += got;
    }
    m_position += total;
    return total;
}

void SourceFile::seek(qint64 position)
{
    if (!m_file.seek(position))
        throwFileFailure(path(), m_file.errorString());
    m_position = position;
}

void SourceFile::checkUnchanged() const
{
#ifdef Q_OS_UNIX
    // The open file itself: written, grown, cut or deleted.
    const FileIdentity now = identityOfHandle(m_file.handle());
    if (!now.sameState(m_opened) || now.links == 0)
        throwChangedDuringRun(path());
#endif
    // And the name as listed: still this file, not replaced or renamed away.
    if (!locateFile(path()).identity().sameState(m_opened))
        throwChangedDuringRun(path());
}
