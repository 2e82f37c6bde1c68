#include "resultwriter.h"

#include "failure.h"

#include <QFileInfo>
#include <cerrno>

#include <QDir>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#endif

namespace {

// Output is gathered into blocks of this size before it goes to the file.
constexpr qsizetype blockSize = 1 << 20;
constexpr qsizetype directWriteSize = 1 << 16;

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

// A symlinked target is written through to the file it points at.
QString finalPathOf(const QString& targetPath)
{
    const QFileInfo target(targetPath);
    return target.isSymLink() ? target.symLinkTarget() : targetPath;
}

// The failure of opening the temporary file, told as the system tells it.
[[noreturn]] void throwOpenFailure(const QString& folder, const QFile& file)
{
    if (!QFileInfo(folder).isDir())
        throwSystemError(ENOENT);
    throw Failure(file.errorString());
}

} // namespace

ResultWriter::ResultWriter(const QString& targetPath, TextEncoding encoding, bool durable)
    : m_finalPath(finalPathOf(targetPath)), m_durable(durable)
{
    checkTargetWritable(targetPath);
    const QFileInfo final(m_finalPath);
    const QString folder = final.absolutePath();
    m_file.setFileTemplate(folder + QStringLiteral("/.") + final.fileName() + QStringLiteral(".XXXXXX"));
    if (!m_file.open())
        throwOpenFailure(folder, m_file);
    // A result gets the permissions the target had, or a new file's usual ones.
    if (final.exists()) {
        m_file.setPermissions(final.permissions());
    } else {
#ifdef Q_OS_UNIX
        const mode_t mask = ::umask(0);
        ::umask(mask);
        (void)::fchmod(m_file.handle(), 0666 & ~mask);
#endif
    }
#ifdef Q_OS_UNIX
    // The new file would belong to whoever runs the program; a file replaced
    // in place should stay its owner's. Only root may give it away; others keep it.
    struct stat existing;
    if (::stat(QFile::encodeName(m_finalPath).constData(), &existing) == 0)
        (void)::fchown(m_file.handle(), existing.st_uid, existing.st_gid);
#endif
    m_buffer.reserve(blockSize + blockSize / 4);
    m_buffer.append(markOf(encoding));
}

void ResultWriter::write(const char* data, qsizetype size)
{
    // A whole chunk goes straight to the file: copying it into the block first
    // costs more than the system call it saves.
    if (size >= directWriteSize) {
        flush();
        writeFully(data, size);
        return;
    }
    if (m_buffer.size() + size > blockSize)
        flush();
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
    if (!m_file.flush())
        throw Failure(m_file.errorString());
    if (m_durable) {
#ifdef Q_OS_UNIX
        if (::fdatasync(m_file.handle()) != 0)
            throwSystemError(errno);
#elif defined(Q_OS_WIN)
        if (_commit(m_file.handle()) != 0)
            throwSystemError(errno);
#endif
    }
    m_file.close();
    if (m_file.error() != QFile::NoError)
        throw Failure(m_file.errorString());
    replaceTarget();
}

void ResultWriter::replaceTarget()
{
    const QString temporary = m_file.fileName();
#ifdef Q_OS_WIN
    if (!::MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(temporary).utf16()),
                       reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(m_finalPath).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw Failure(QStringLiteral("Cannot replace ") + m_finalPath);
#else
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_finalPath).constData()) != 0)
        throwSystemError(errno);
#endif
    m_file.setAutoRemove(false);
#ifdef Q_OS_UNIX
    if (m_durable) {
        // The rename reaches the disk with its folder.
        const int folder = ::open(QFile::encodeName(QFileInfo(m_finalPath).absolutePath()).constData(), O_RDONLY);
        if (folder >= 0) {
            (void)::fsync(folder);
            ::close(folder);
        }
    }
#endif
}
