#include "engine/batchrun/undorun.h"

#include "engine/textfile/filecopy.h"
#include "engine/textfile/privatefolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QByteArray recordName = "record";

#ifdef Q_OS_UNIX
QByteArray readAll(int fd)
{
    QByteArray text;
    QByteArray block(65536, Qt::Uninitialized);
    for (qint64 offset = 0;;) {
        const ssize_t got = ::pread(fd, block.data(), size_t(block.size()), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return text;
        text.append(block.constData(), got);
        offset += got;
    }
}

// The record of a run folder, opened only when it is this user's own file.
FileHandle openRecord(int folder, int flags)
{
    if (!isOwnEntry(folder, recordName))
        return {};
    FileHandle record(::openat(folder, recordName.constData(), flags | O_NOFOLLOW | O_CLOEXEC));
    const FileIdentity id = identityOfHandle(record.get());
    if (!record.isOpen() || !id.regular || id.links != 1)
        return {};
    return record;
}

FileHandle openRunFolder(int undoFolder, const QByteArray& name)
{
    if (!isOwnEntry(undoFolder, name))
        return {};
    return FileHandle(::openat(undoFolder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

QString notKeptText(const QString& reason)
{
    return QStringLiteral("its previous content could not be kept for undo: ") + reason;
}

[[noreturn]] void throwKeepFailure(const QString& path, int error)
{
    throwFileFailure(path, notKeptText(systemErrorText(error)));
}
#endif

} // namespace

QString keptAsText(const QString& path)
{
    return QStringLiteral("; its previous content is kept as ") + QDir::toNativeSeparators(path);
}

UndoRun::UndoRun(FileHandle folder, QByteArray name, QString undoPath)
    : m_folder(std::move(folder)),
      m_name(std::move(name)),
      m_undoPath(std::move(undoPath))
{
}

QString UndoRun::path() const
{
    return folderPath(m_folder.get(), m_undoPath + QLatin1Char('/') + QString::fromLatin1(m_name));
}

QString UndoRun::keptPath(const UndoEntry& entry) const
{
    return path() + QLatin1Char('/') + QFile::decodeName(entry.kept);
}

#ifdef Q_OS_UNIX

std::unique_ptr<UndoRun> UndoRun::create(int undoFolder, const QString& undoPath)
{
    for (int attempt = 0;; ++attempt) {
        // Names sort as the runs were made.
        const QByteArray name
            = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")).toLatin1() + '-'
            + QByteArray::number(QCoreApplication::applicationPid()) + '-'
            + QByteArray::number(QRandomGenerator::global()->bounded(1 << 20), 36);
        if (::mkdirat(undoFolder, name.constData(), 0700) != 0) {
            if (errno == EEXIST && attempt < 100)
                continue;
            throwFileError(undoPath, errno);
        }
        FileHandle folder = openRunFolder(undoFolder, name);
        if (!folder.isOpen() || ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0)
            throwFileError(undoPath + QLatin1Char('/') + QString::fromLatin1(name), errno);
        std::unique_ptr<UndoRun> run(new UndoRun(std::move(folder), name, undoPath));
        run->m_record = FileHandle(::openat(run->m_folder.get(), recordName.constData(),
            O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!run->m_record.isOpen())
            throwFileError(run->path(), errno);
        run->append(headerLine());
        return run;
    }
}

std::unique_ptr<UndoRun> UndoRun::claim(int undoFolder, const QByteArray& name, const QString& undoPath)
{
    FileHandle folder = openRunFolder(undoFolder, name);
    if (!folder.isOpen() || ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0)
        return nullptr;
    FileHandle record = openRecord(folder.get(), O_RDWR | O_APPEND);
    if (!record.isOpen() || !parseUndoRecord(readAll(record.get())).valid)
        return nullptr;
    std::unique_ptr<UndoRun> run(new UndoRun(std::move(folder), name, undoPath));
    run->m_record = std::move(record);
    for (const UndoEntry& entry : run->record().entries)
        run->m_next = qMax(run->m_next, entry.index + 1);
    return run;
}

UndoRecord UndoRun::peek(int undoFolder, const QByteArray& name)
{
    const FileHandle folder = openRunFolder(undoFolder, name);
    if (!folder.isOpen())
        return {};
    const FileHandle record = openRecord(folder.get(), O_RDONLY);
    return record.isOpen() ? parseUndoRecord(readAll(record.get())) : UndoRecord{};
}

UndoRecord UndoRun::record() const
{
    return parseUndoRecord(readAll(m_record.get()));
}

void UndoRun::append(const QByteArray& line, bool durable)
{
    // One write per line: a hard stop cuts no line but the last, which is then ignored.
    const ssize_t put = ::write(m_record.get(), line.constData(), size_t(line.size()));
    if (put != ssize_t(line.size()))
        throwFileError(path() + QStringLiteral("/record"), put < 0 ? errno : ENOSPC);
    if (durable && ::fdatasync(m_record.get()) != 0)
        throwFileError(path() + QStringLiteral("/record"), errno);
}

void UndoRun::finish()
{
    try {
        append(finishedLine(), true);
    } catch (const Failure&) {
        // The run's files are in place; only its undo stays unmarked, and
        // the next start finishes it.
    }
    (void)::fsync(m_folder.get());
}

bool UndoRun::keptNothing() const
{
    return !m_keptAny;
}

qint64 UndoRun::keep(const FilePlace& target, const FileIdentity& found, int result, bool copyOver)
{
    UndoEntry entry;
    entry.index = m_next++;
    entry.target = QFileInfo(target.path).absoluteFilePath();
    entry.folder = target.folderIdentity();
    entry.name = target.name;
    entry.expected = copyOver ? found : identityOfHandle(result);
    if (!found.exists) {
        entry.kind = UndoEntry::Created;
    } else {
        entry.kind = copyOver ? UndoEntry::CopiedOver : UndoEntry::Renamed;
        entry.kept = QByteArray::number(entry.index);
        const int folder = m_folder.get();
        // The file itself where it can stay the same file: no copy, no space.
        if (!copyOver && m_linking
            && ::linkat(target.folder.get(), target.name.constData(), folder, entry.kept.constData(), 0) == 0) {
            entry.keptFile = identityAt(folder, entry.kept);
            if (!entry.keptFile.sameState(found)) {
                (void)::unlinkat(folder, entry.kept.constData(), 0);
                throwChangedDuringRun(target.path);
            }
            entry.original = entry.keptFile; // the link moved its change time
        } else {
            const FileHandle from(::openat(target.folder.get(), target.name.constData(),
                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
            if (!from.isOpen())
                throwKeepFailure(target.path, errno);
            entry.original = identityOfHandle(from.get());
            if (!entry.original.sameState(found))
                throwChangedDuringRun(target.path);
            const FileHandle to(
                ::openat(folder, entry.kept.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!to.isOpen())
                throwKeepFailure(target.path, errno);
            int error = reserveSpace(to.get(), found.size);
            if (error == 0)
                error = copyFileData(from.get(), to.get(), found.size);
            if (error == 0 && ::fsync(to.get()) != 0)
                error = errno;
            if (error == 0 && !identityOfHandle(from.get()).sameState(found))
                error = -1;
            if (error != 0) {
                (void)::unlinkat(folder, entry.kept.constData(), 0);
                if (error < 0)
                    throwChangedDuringRun(target.path);
                throwKeepFailure(target.path, error);
            }
            entry.keptFile = identityOfHandle(to.get());
        }
    }
    try {
        append(keptLine(entry));
    } catch (const Failure& failure) {
        dropKept(entry);
        throwFileFailure(target.path, notKeptText(failure.description()));
    }
    m_keptAny = true;
    m_unsettled = true;
    m_open.insert(entry.index, entry);
    return entry.index;
}

// The record's lines and the folder's names (the old files linked or copied
// into it) on the disk, before any result of them replaces a file.
void UndoRun::settle()
{
    if (!m_unsettled)
        return;
    if (::fdatasync(m_record.get()) != 0) {
        const int error = errno;
        throw Failure(notKeptText(path() + QStringLiteral("/record: ") + systemErrorText(error)));
    }
    if (::fsync(m_folder.get()) != 0) {
        const int error = errno;
        throw Failure(notKeptText(path() + QStringLiteral(": ") + systemErrorText(error)));
    }
    m_unsettled = false;
}

// From here on a failure could leave the file torn: the entry, on the disk
// before the first byte changes, tells the next start how to make it whole.
void UndoRun::copyOverBegins(qint64 ticket, const QByteArray& temporaryName, const FileIdentity& temporary)
{
    append(journalLine(ticket, 'f', temporaryName, temporary), true);
}

void UndoRun::copyOverEnded(qint64 ticket)
{
    try {
        append(journalEndLine(ticket), true);
    } catch (const Failure&) {
    }
}

void UndoRun::replaced(qint64 ticket, const FileIdentity& result)
{
    m_open.remove(ticket);
    try {
        append(replacedLine(ticket, result));
    } catch (const Failure&) {
        // The next start finds the result by what it was before its rename.
    }
}

void UndoRun::notReplaced(qint64 ticket)
{
    const UndoEntry entry = m_open.take(ticket);
    try {
        append(voidedLine(ticket));
    } catch (const Failure&) {
    }
    dropKept(entry);
}

void UndoRun::dropKept(const UndoEntry& entry)
{
    if (!entry.kept.isEmpty())
        (void)::unlinkat(m_folder.get(), entry.kept.constData(), 0);
}

bool UndoRun::keptIsIntact(const UndoEntry& entry) const
{
    const FileIdentity now = identityAt(m_folder.get(), entry.kept);
    return now.regular && now.sameState(entry.keptFile);
}

#else

// The way back needs folder handles and file locks: elsewhere a run goes
// without one, and says so.
std::unique_ptr<UndoRun> UndoRun::create(int, const QString&)
{
    throw Failure(QStringLiteral("undo is not available on this system"));
}

std::unique_ptr<UndoRun> UndoRun::claim(int, const QByteArray&, const QString&)
{
    return nullptr;
}

UndoRecord UndoRun::peek(int, const QByteArray&)
{
    return {};
}

UndoRecord UndoRun::record() const
{
    return {};
}

void UndoRun::append(const QByteArray&, bool) { }
void UndoRun::finish() { }

bool UndoRun::keptNothing() const
{
    return true;
}

qint64 UndoRun::keep(const FilePlace&, const FileIdentity&, int, bool)
{
    throw Failure(QStringLiteral("undo is not available on this system"));
}

void UndoRun::settle() { }
void UndoRun::copyOverBegins(qint64, const QByteArray&, const FileIdentity&) { }
void UndoRun::copyOverEnded(qint64) { }
void UndoRun::replaced(qint64, const FileIdentity&) { }
void UndoRun::notReplaced(qint64) { }
void UndoRun::dropKept(const UndoEntry&) { }

bool UndoRun::keptIsIntact(const UndoEntry&) const
{
    return false;
}

#endif
