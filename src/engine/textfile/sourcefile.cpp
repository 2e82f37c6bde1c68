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

[[noreturn]] void throwNotRegular()
{
    throw Failure(QStringLiteral("Not a regular file"));
}

} // namespace

SourceFile::SourceFile(const QString& path)
    : m_path(path)
{
    if (path.isEmpty())
        throwSystemError(ENOENT);
#ifdef Q_OS_UNIX
    const QByteArray nativePath = QFile::encodeName(path);
    // Looked at before it is opened: a socket can't be opened at all, and
    // opening a device or a FIFO can act on it.
    struct stat st;
    if (::stat(nativePath.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throwNotRegular();
    // Non-blocking so that a FIFO put in the file's place meanwhile still returns at once.
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throwSystemError(errno);
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        throwSystemError(error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throwNotRegular();
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!m_file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw Failure(m_file.errorString());
    }
    m_size = st.st_size;
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throwNotRegular();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Failure(m_file.errorString());
    m_size = m_file.size();
#endif
}

qsizetype SourceFile::read(char* buffer, qsizetype maxSize)
{
    qsizetype total = 0;
    const qsizetype wanted = static_cast<qsizetype>(qMin<qint64>(maxSize, m_size - m_position));
    while (total < wanted) {
        const qint64 got = m_file.read(buffer + total, wanted - total);
        if (got < 0)
            throw Failure(m_file.errorString());
        if (got == 0) {
            m_size = m_position + total; // the file shrank while it was read: take what is there
            break;
        }
        total += got;
    }
    m_position += total;
    return total;
}

void SourceFile::seek(qint64 position)
{
    if (!m_file.seek(position))
        throw Failure(m_file.errorString());
    m_position = position;
}
