#include "resultwriter.h"

#include "failure.h"

#include <QFileInfo>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Output is gathered into blocks of this size before it goes to the file.
constexpr qsizetype blockSize = 1 << 20;

void checkTargetWritable(const QString& targetPath)
{
    const QFileInfo target(targetPath); // follows a symlink to its file
    if (!target.exists())
        return;
    if (target.isDir())
        throwSystemError(EISDIR);
    // Root may write anything; a file that nobody may write is still meant to stay as it is.
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!(target.permissions() & anyWrite) || !target.isWritable())
        throwSystemError(EACCES);
}

} // namespace

ResultWriter::ResultWriter(const QString& targetPath, TextEncoding encoding)
    : m_file(targetPath)
{
    checkTargetWritable(targetPath);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Failure(m_file.errorString());
#ifdef Q_OS_UNIX
    // The new file would belong to whoever runs the program; a file replaced
    // in place should stay its owner's. Only root may give it away; others keep it.
    struct stat existing;
    if (::stat(QFile::encodeName(targetPath).constData(), &existing) == 0)
        (void)::fchown(m_file.handle(), existing.st_uid, existing.st_gid);
#endif
    m_buffer.reserve(blockSize + blockSize / 4);
    m_buffer.append(markOf(encoding));
}

void ResultWriter::write(const char* data, qsizetype size)
{
    if (m_buffer.size() + size > blockSize)
        flush();
    if (size >= blockSize) {
        writeFully(data, size);
        return;
    }
    m_buffer.append(data, size);
}

void ResultWriter::flush()
{
    if (m_buffer.isEmpty())
        return;
    writeFully(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
}

// A short write (the disk filling up) sets no error; writing the rest then
// fails with the system's reason.
void ResultWriter::writeFully(const char* data, qsizetype size)
{
    while (size > 0) {
        const qint64 written = m_file.write(data, size);
        if (written <= 0)
            throw Failure(m_file.errorString());
        data += written;
        size -= written;
    }
}

void ResultWriter::commit()
{
    flush();
    if (!m_file.commit())
        throw Failure(m_file.errorString());
}
