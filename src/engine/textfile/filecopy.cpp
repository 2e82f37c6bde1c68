#include "engine/textfile/filecopy.h"

#include <QByteArray>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
constexpr qint64 blockSize = 1 << 20;
}

#ifdef Q_OS_UNIX

int reserveSpace(int fd, qint64 size)
{
    const int reserved = ::posix_fallocate(fd, 0, qMax<qint64>(size, 1));
    return reserved == EOPNOTSUPP || reserved == EINVAL ? 0 : reserved;
}

int copyFileData(int from, int to, qint64 size, const std::function<void(qint64)>& progress)
{
    QByteArray block(int(qMin(blockSize, qMax<qint64>(size, 1))), Qt::Uninitialized);
    for (qint64 offset = 0; offset < size;) {
        const ssize_t got = ::pread(from, block.data(), size_t(qMin<qint64>(block.size(), size - offset)), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? errno : EIO;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(to, block.constData() + done, size_t(got - done), offset + done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return put < 0 ? errno : ENOSPC;
            done += put;
        }
        offset += got;
        if (progress)
            progress(offset);
    }
    return ::ftruncate(to, size) == 0 ? 0 : errno;
}

#else

int reserveSpace(int, qint64)
{
    return 0;
}

int copyFileData(int, int, qint64, const std::function<void(qint64)>&)
{
    return ENOSYS;
}

#endif
