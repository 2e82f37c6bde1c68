// The last steps of a result: the target checked to be still what was read,
// then the result put in its place, by a rename or, where the file itself
// must stay, by a copy over it.
#include "base/failure.h"
#include "engine/textfile/filecopy.h"
#include "engine/textfile/foldersync.h"
#include "engine/textfile/oldfilekeeper.h"
#include "engine/textfile/resultwriter.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

// In place: the very file that was read, neither written, replaced, renamed
// nor deleted since. Into a folder: the file found there, or still none.
void ResultWriter::checkTargetUnchanged() const
{
    const FileIdentity now = m_place.identity();
    if (m_expected.exists ? !now.sameState(m_expected) : now.exists)
        throwChangedDuringRun(m_place.path);
}

void ResultWriter::renameOver()
{
#ifdef Q_OS_UNIX
    m_resultKey = identityOfHandle(m_temporary.get()).key();
    const int folder = m_place.folder.get();
    int result = -1;
    if (!m_expected.exists) {
        // A file that appeared since the check is not replaced.
        result = ::renameat2(folder, m_temporaryName.constData(), folder, m_place.name.constData(), RENAME_NOREPLACE);
        if (result != 0 && errno == EEXIST)
            throwChangedDuringRun(m_place.path);
    }
    if (result != 0 && (m_expected.exists || errno == EINVAL || errno == ENOSYS))
        result = ::renameat(folder, m_temporaryName.constData(), folder, m_place.name.constData());
    if (result != 0)
        throwFileError(m_place.path, errno);
    // What the file is now that it has its name: the rename moved its change time.
    m_resultIdentity = identityOfHandle(m_temporary.get());
    m_temporary.reset();
#else
    m_temporary.reset();
    if (!::MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(temporaryPath()).utf16()),
            reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(m_place.path).utf16()),
            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throwFileFailure(m_place.path, qt_error_string(int(::GetLastError())));
    m_resultKey = QFileInfo(m_place.path).absoluteFilePath();
#endif
}

// The file itself takes the result, so that its inode, hard links, owner and
// attributes stay. The space is taken first, so a full disk fails before a
// byte of the file changes; from the first byte on, the temporary file holds
// the whole result until the copy has ended.
void ResultWriter::copyOver()
{
#ifdef Q_OS_UNIX
    const FileHandle target(::openat(
        m_place.folder.get(), m_place.name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!target.isOpen())
        throwFileError(m_place.path, errno);
    if (!identityOfHandle(target.get()).sameState(m_expected))
        throwChangedDuringRun(m_place.path);
    if (const int reserved = reserveSpace(target.get(), m_written))
        throwFileError(m_place.path, reserved);

    // No byte of the file changes before the way to make it whole is on the disk.
    if (m_keeper)
        m_keeper->copyOverBegins(m_ticket, m_temporaryName, identityOfHandle(m_temporary.get()));
    m_keepTemporary = true;
    int error = copyFileData(m_temporary.get(), target.get(), m_written, m_copyProgress);
    if (error == 0 && ::fsync(target.get()) != 0)
        error = errno;
    if (error != 0) {
        throwFileFailure(
            m_place.path, systemErrorText(error) + QStringLiteral("; the whole result is kept in ") + temporaryPath());
    }
    m_resultIdentity = identityOfHandle(target.get());
    if (m_keeper)
        m_keeper->copyOverEnded(m_ticket);
    m_resultKey = m_expected.key();
    m_keepTemporary = false;
    m_temporary.reset();
    (void)::unlinkat(m_place.folder.get(), m_temporaryName.constData(), 0);
#endif
}

void ResultWriter::syncFolder()
{
#ifdef Q_OS_UNIX
    // The rename reaches the disk with its folder.
    const FileHandle folder(::openat(m_place.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.isOpen())
        syncFolderEntries(folder.get());
#endif
}
