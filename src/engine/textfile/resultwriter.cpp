#include "engine/textfile/resultwriter.h"

#include "base/failure.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

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
// As many links as the system itself follows before it gives up.
constexpr int maxLinks = 40;
// The temporary file's name holds at most this much of the target's name, so
// that a target whose name is as long as names may be still gets one.
constexpr qsizetype temporaryNameChars = 64;

// The file that a target path stands for: every symbolic link on the way is
// followed, also to a file that doesn't exist yet (the result then creates it).
QString finalPathOf(const QString& targetPath)
{
    QString path = targetPath;
    for (int links = 0;; ++links) {
        const QFileInfo target(path);
        if (!target.isSymbolicLink())
            return path;
        if (links == maxLinks)
            throwSystemError(ELOOP);
        path = target.symLinkTarget(); // absolute, also for a relative link
    }
}

void checkTargetWritable(const QFileInfo& target)
{
    if (!target.exists())
        return;
    if (target.isDir())
        throwSystemError(EISDIR);
    // A FIFO or a device in the target's place would block or take the result.
    if (!target.isFile())
        throw Failure(QStringLiteral("Not a regular file"));
    // Root may write anything; a file that nobody may write is still meant to stay as it is.
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!(target.permissions() & anyWrite) || !target.isWritable())
        throwSystemError(EACCES);
}

QString temporaryTemplate(const QFileInfo& target)
{
    QString name = target.fileName();
    if (name.size() > temporaryNameChars)
        name.truncate(name.at(temporaryNameChars - 1).isHighSurrogate() ? temporaryNameChars - 1 : temporaryNameChars);
    return target.absolutePath() + QStringLiteral("/.") + name + QStringLiteral(".XXXXXX");
}

// The failure of opening the temporary file, told as the system tells it.
[[noreturn]] void throwOpenFailure(const QString& folder, const QFile& file)
{
    if (!QFileInfo(folder).isDir())
        throwSystemError(ENOENT);
    throw Failure(file.errorString());
}

// The result gets the owner and permission bits that the target had, or a new
// file's usual permissions.
void takeOverAttributes(QFile& result, const QFileInfo& target)
{
#ifdef Q_OS_UNIX
    const int handle = result.handle();
    struct stat existing;
    if (::stat(QFile::encodeName(target.filePath()).constData(), &existing) != 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        (void)::fchmod(handle, 0666 & ~mask);
        return;
    }
    // Owner first, as a change of owner may clear set-ID bits. Only root may
    // give a file away; others keep at least the group where they may.
    if (::fchown(handle, existing.st_uid, existing.st_gid) != 0)
        (void)::fchown(handle, uid_t(-1), existing.st_gid);
    // The bits as they are: Qt's permission flags would fold the running
    // user's own rights into the owner's.
    (void)::fchmod(handle, existing.st_mode & 07777);
#else
    if (target.exists())
        result.setPermissions(target.permissions());
#endif
}

} // namespace

ResultWriter::ResultWriter(const QString& targetPath, TextEncoding encoding, bool durable)
    : m_finalPath(finalPathOf(targetPath)), m_durable(durable)
{
    const QFileInfo final(m_finalPath);
    checkTargetWritable(final);
    m_file.setFileTemplate(temporaryTemplate(final));
    if (!m_file.open())
        throwOpenFailure(final.absolutePath(), m_file);
    takeOverAttributes(m_file, final);
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
    if (m_beforeReplace)
        m_beforeReplace(m_finalPath, temporary);
#ifdef Q_OS_WIN
    if (!::MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(temporary).utf16()),
                       reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(m_finalPath).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw Failure(qt_error_string(int(::GetLastError())));
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
