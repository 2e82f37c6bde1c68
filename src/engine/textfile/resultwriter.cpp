#include "engine/textfile/resultwriter.h"

#include "base/failure.h"
#include "engine/textfile/backgroundwrites.h"
#include "engine/textfile/fileattributes.h"
#include "engine/textfile/filecopy.h"
#include "engine/textfile/foldersync.h"
#include "engine/textfile/oldfilekeeper.h"
#include "engine/textfile/sourcefile.h"
#include "engine/textfile/sparetemporaries.h"
#include "engine/textfile/temporaryname.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#endif

namespace {

// Output is gathered into blocks of this size before it goes to the file.
constexpr qsizetype blockSize = 1 << 20;
constexpr qsizetype directWriteSize = 1 << 16;
// From this size on a result is written on a thread of its own: a thread per
// short file would cost more than it saves.
constexpr qint64 writeBehindFrom = 4 << 20;

// A write cut short sets no error of its own: the disk is full.
qint64 writeSome(int fd, const char* data, qsizetype size)
{
#ifdef Q_OS_WIN
    const int written = ::_write(fd, data, unsigned(qMin<qsizetype>(size, 1 << 30)));
#else
    const ssize_t written = ::write(fd, data, size_t(size));
#endif
    if (written == 0)
        errno = ENOSPC;
    return written;
}

} // namespace

ResultWriter::ResultWriter(const QString& targetPath, TextEncoding encoding, bool durable) : m_durable(durable)
{
    open(targetPath, encoding, nullptr);
}

ResultWriter::ResultWriter(
    const QString& targetPath, TextEncoding encoding, const SourceFile& source, SpareTemporaries* spares)
{
    open(targetPath, encoding, &source, spares);
}

void refuseUnwritableTarget(const FilePlace& place)
{
    const QString& targetPath = place.path;
#ifdef Q_OS_UNIX
    struct stat st;
    if (::fstatat(place.folder.get(), place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        throwFileError(targetPath, errno);
    if (S_ISDIR(st.st_mode))
        throwFileError(targetPath, EISDIR);
    // A FIFO or a device in the target's place would block or take the result.
    if (!S_ISREG(st.st_mode))
        throwFileFailure(targetPath, QStringLiteral("Not a regular file"));
    // Root may write anything; a file that nobody may write is still meant to stay as it is.
    if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        throwFileError(targetPath, EACCES);
    if (::faccessat(place.folder.get(), place.name.constData(), W_OK, 0) != 0)
        throwFileError(targetPath, errno);
#else
    const QFileInfo info(targetPath);
    if (info.isDir())
        throwFileError(targetPath, EISDIR);
    if (!info.isFile())
        throwFileFailure(targetPath, QStringLiteral("Not a regular file"));
    if (!info.isWritable())
        throwFileError(targetPath, EACCES);
#endif
}

ResultWriter::~ResultWriter()
{
    // No write is under way once the file is let go.
    m_behind.reset();
    // Kept for a group that never came to place it: the target is as it was.
    if (m_keeper && m_ticket >= 0 && !m_done && !m_keepTemporary)
        m_keeper->notReplaced(m_ticket);
    if (m_done || m_keepTemporary || m_temporaryName.isEmpty())
        return;
#ifdef Q_OS_UNIX
    (void)::unlinkat(m_place.folder.get(), m_temporaryName.constData(), 0);
#else
    m_temporary.reset();
    QFile::remove(temporaryPath());
#endif
}

void ResultWriter::open(
    const QString& targetPath, TextEncoding encoding, const SourceFile* source, SpareTemporaries* spares)
{
    m_place = locateFile(targetPath);
    const FileIdentity found = m_place.identity();
    m_expected = found;
    if (source && found.sameFile(source->identity())) {
        m_inPlace = true;
        m_durable = true;
        m_expected = source->identity();
        if (!found.sameState(m_expected))
            throwChangedDuringRun(targetPath);
    }
    if (found.exists)
        refuseUnwritableTarget(m_place);
    createTemporary(m_inPlace ? spares : nullptr);
    keepAttributes();
    m_buffer.reserve(blockSize + blockSize / 4);
    m_buffer.append(markOf(encoding));
}

void ResultWriter::createTemporary(SpareTemporaries* spares)
{
#ifdef Q_OS_UNIX
    if (spares) {
        m_temporary = spares->take(m_place.folder.get(), m_temporaryName);
        if (m_temporary.isOpen())
            return;
        m_temporaryName.clear();
    }
#else
    Q_UNUSED(spares);
#endif
#ifdef Q_OS_UNIX
    m_temporary
        = createTemporaryIn(m_place.folder.get(), QFileInfo(m_place.path).fileName(), m_place.path, m_temporaryName);
#else
    // A few names: another writer may just have taken one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporaryName = temporaryName(QFileInfo(m_place.path).fileName());
        const int fd = ::_wopen(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(temporaryPath()).utf16()),
            _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            m_temporary = FileHandle(fd);
            return;
        }
        if (errno != EEXIST) {
            const int error = errno;
            m_temporaryName.clear();
            throwFileError(m_place.path, error);
        }
    }
    m_temporaryName.clear();
    throwFileError(m_place.path, EEXIST);
#endif
}

// The result gets what belongs to the file it replaces: owner, group,
// permission bits, extended attributes and ACLs; a new file gets the usual
// permissions. Where the new file cannot carry them all, or the file has other
// hard links that a rename would leave with the old text, the result is
// copied over the file itself at commit instead.
void ResultWriter::keepAttributes()
{
#ifdef Q_OS_UNIX
    const int temporary = m_temporary.get();
    const FileIdentity existing = m_place.identity();
    if (!existing.exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        (void)::fchmod(temporary, 0666 & ~mask);
        return;
    }
    const FileHandle original(::openat(
        m_place.folder.get(), m_place.name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    const bool kept = giveAttributes(temporary, existing, original.get()).isEmpty() && original.isOpen();
    m_copyOver = !kept || existing.links != 1;
#else
    if (m_expected.exists)
        QFile::setPermissions(temporaryPath(), QFileInfo(m_place.path).permissions());
#endif
}

QStringList ResultWriter::targetKeys() const
{
    QStringList keys{m_place.placeKey()};
    if (m_expected.exists)
        keys << m_expected.key();
    return keys;
}

void ResultWriter::write(const char* data, qsizetype size)
{
    if (!m_behind && !m_behindRefused && m_written + m_buffer.size() + size >= writeBehindFrom)
        startWritingBehind();
    if (m_behind) {
        m_behind->write(data, size);
        return;
    }
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

// The copy into a block costs less than the wait it takes away.
void ResultWriter::startWritingBehind()
{
    flush();
    try {
        m_behind = std::make_unique<BackgroundWrites>(
            blockSize, [this](const QByteArray& block) { writeFully(block.constData(), block.size()); });
    } catch (const std::system_error&) {
        // No thread to be had: written here, as short results are.
        m_behindRefused = true;
    }
}

void ResultWriter::flush()
{
    if (m_behind) {
        m_behind->drain();
        // Whole now: a result that waits for its commit holds no thread or block.
        m_behind.reset();
        return;
    }
    if (m_buffer.isEmpty())
        return;
    writeFully(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
}

void ResultWriter::writeFully(const char* data, qsizetype size)
{
    while (size > 0) {
        const qint64 written = writeSome(m_temporary.get(), data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throwFileError(m_place.path, errno);
        data += written;
        size -= written;
        m_written += written;
    }
#ifdef Q_OS_LINUX
    // A long result goes to the disk as it is written, not all at the sync
    // before the rename: the wait there is then for the last stretch only.
    if ((m_durable || m_copyOver) && m_written - m_writtenBack >= writebackStretch) {
        (void)::sync_file_range(m_temporary.get(), m_writtenBack, m_written - m_writtenBack, SYNC_FILE_RANGE_WRITE);
        m_writtenBack = m_written;
    }
#endif
}

// The steps in order: the whole result written; the old file kept for the
// way back and, where the result replaces the user's file, that on the disk
// and then the result too; the target checked to be still what was read;
// then the result put in its place.
void ResultWriter::commit()
{
    flush();
    keepForCommit();
    settleKept();
    placeResult();
    if (m_durable)
        syncFolder();
}

void ResultWriter::keepForCommit()
{
    if (!m_keeper)
        return;
    // A result that waited for its group may find its file changed: then
    // no way back is kept for a file this run does not replace.
    checkTargetUnchanged();
    m_ticket = m_keeper->keep(m_place, m_place.identity(), m_temporary.get(), m_copyOver);
}

void ResultWriter::settleKept()
{
    // As durable as the result: where it waits for the disk, so does the old file.
    if (!m_keeper || m_ticket < 0 || !(m_durable || m_copyOver))
        return;
    try {
        m_keeper->settle();
    } catch (const Failure& failure) {
        throwFileFailure(m_place.path, failure.description());
    }
}

void ResultWriter::placeResult()
{
    try {
        if (!m_synced)
            syncData();
        if (m_syncError != 0)
            throwFileError(m_place.path, m_syncError);
        if (m_beforeReplace)
            m_beforeReplace();
        checkTargetUnchanged();
        if (m_copyOver)
            copyOver();
        else
            renameOver();
    } catch (...) {
        if (m_keeper && m_ticket >= 0 && !m_keepTemporary)
            m_keeper->notReplaced(m_ticket);
        m_ticket = -1;
        throw;
    }
    if (m_keeper)
        m_keeper->replaced(m_ticket, m_resultIdentity);
    m_ticket = -1;
    m_done = true;
}

void ResultWriter::finish()
{
    flush();
#ifdef Q_OS_LINUX
    // The disk starts on the rest of the result while the next files are
    // worked on, so that the wait for it before the rename is short.
    if (m_durable || m_copyOver)
        (void)::sync_file_range(m_temporary.get(), m_writtenBack, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

void ResultWriter::syncData() noexcept
{
    if (!(m_durable || m_copyOver))
        return;
#ifdef Q_OS_UNIX
    m_syncError = ::fdatasync(m_temporary.get()) == 0 ? 0 : errno;
#elif defined(Q_OS_WIN)
    m_syncError = ::_commit(m_temporary.get()) == 0 ? 0 : errno;
#endif
    m_synced = true;
}

QString ResultWriter::folderKey() const
{
#ifdef Q_OS_UNIX
    return identityOfHandle(m_place.folder.get()).key();
#else
    return QFileInfo(m_place.path).absolutePath();
#endif
}

QString ResultWriter::temporaryPath() const
{
#ifdef Q_OS_LINUX
    // The folder the file lies in, also where a link led there.
    const QString folder = QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(m_place.folder.get())).symLinkTarget();
    if (!folder.isEmpty())
        return folder + QLatin1Char('/') + QFile::decodeName(m_temporaryName);
#endif
    return QFileInfo(m_place.path).absolutePath() + QLatin1Char('/') + QFile::decodeName(m_temporaryName);
}
