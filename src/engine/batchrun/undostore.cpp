#include "engine/batchrun/undostore.h"

#include "base/failure.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool systemLink(const QString& existing, const QString& link)
{
#ifdef Q_OS_UNIX
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(link).constData()) == 0;
#else
    Q_UNUSED(existing);
    Q_UNUSED(link);
    return false;
#endif
}

// A copy that keeps the permission bits and the modification time, created
// anew (never over an existing file). Throws Failure naming the file.
void copyKeepingAttributes(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throwSystemError(errno);
    struct stat info;
    if (::fstat(in, &info) != 0) {
        const int error = errno;
        ::close(in);
        throwSystemError(error);
    }
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        throwSystemError(error);
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    int error = 0;
    for (;;) {
        const ssize_t got = ::read(in, block.data(), size_t(block.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < got && error == 0;) {
            const ssize_t put = ::write(out, block.constData() + done, size_t(got - done));
            if (put < 0 && errno != EINTR)
                error = errno;
            else if (put > 0)
                done += put;
        }
        if (error != 0)
            break;
    }
    if (error == 0 && ::fchmod(out, info.st_mode & 07777) != 0)
        error = errno;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    (void)::futimens(out, times);
    if (error == 0 && ::fsync(out) != 0)
        error = errno;
    ::close(in);
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(QFile::encodeName(to).constData());
        throwSystemError(error);
    }
#else
    if (!QFile::copy(from, to))
        throw Failure(QStringLiteral("Could not copy %1").arg(QDir::toNativeSeparators(from)));
#endif
}

// Writes the kept bytes into the file itself, so that its other hard links,
// owner and attributes stay as the run kept them; the times come back too.
void copyIntoPlace(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw Failure(in.errorString());
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (out < 0)
        throwSystemError(errno);
    int error = 0;
    qint64 offset = 0;
    QByteArray block(1 << 20, Qt::Uninitialized);
    while (error == 0) {
        const qint64 got = in.read(block.data(), block.size());
        if (got < 0)
            error = EIO;
        if (got <= 0)
            break;
        for (qint64 done = 0; done < got && error == 0;) {
            const ssize_t put = ::pwrite(out, block.constData() + done, size_t(got - done), offset + done);
            if (put < 0 && errno != EINTR)
                error = errno;
            else if (put > 0)
                done += put;
        }
        offset += got;
    }
    struct stat info;
    if (error == 0 && ::stat(QFile::encodeName(from).constData(), &info) == 0) {
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        if (::ftruncate(out, offset) != 0 || ::fsync(out) != 0)
            error = errno;
        (void)::futimens(out, times);
    }
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error != 0)
        throwSystemError(error);
#else
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw Failure(QStringLiteral("Could not copy %1").arg(QDir::toNativeSeparators(from)));
#endif
}

// A free name beside `target` for the file that will take its place.
QString freeNameBeside(const QString& target)
{
    const QFileInfo info(target);
    for (;;) {
        const QString name = info.absolutePath() + QStringLiteral("/.") + info.fileName().left(64)
            + QStringLiteral(".undo-") + QString::number(QRandomGenerator::global()->generate(), 36);
        if (!QFileInfo::exists(name) && !QFileInfo(name).isSymLink())
            return name;
    }
}

void renameOver(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throwSystemError(errno);
#else
    QFile::remove(to);
    if (!QFile::rename(from, to))
        throw Failure(QStringLiteral("Could not rename %1").arg(QDir::toNativeSeparators(from)));
#endif
}

} // namespace

FileStamp fileStamp(const QString& path)
{
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.device = qint64(info.st_dev);
    stamp.inode = qint64(info.st_ino);
    stamp.size = qint64(info.st_size);
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return stamp;
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return stamp;
}

UndoStore::UndoStore(QString folder) : makeLink(systemLink), m_folder(std::move(folder)) {}

QString UndoStore::recordPath() const
{
    return m_folder + QStringLiteral("/record");
}

void UndoStore::drop()
{
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
    m_kept = 0;
}

UndoStore::~UndoStore()
{
    waitForRelease();
}

void UndoStore::waitForRelease()
{
    if (m_release.joinable())
        m_release.join();
}

QString UndoStore::droppedPattern() const
{
    return QFileInfo(m_folder).fileName() + QStringLiteral("-dropped-*");
}

void UndoStore::begin()
{
    waitForRelease();
    // Set aside for releaseDropped(); removed here only where it can't be moved.
    const QFileInfo old(m_folder);
    const QString aside = m_folder + QStringLiteral("-dropped-")
        + QString::number(QRandomGenerator::global()->generate(), 36);
    if (!old.isDir() || old.isSymLink() || !QDir().rename(m_folder, aside))
        drop();
    m_kept = 0;
    m_pending.clear();
    if (!QDir().mkpath(m_folder))
        throw Failure(QStringLiteral("Could not create the undo folder %1").arg(QDir::toNativeSeparators(m_folder)));
    // Old versions of the user's files: for the user's eyes only.
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeRecord({}, false);
}

void UndoStore::keep(const QString& target, const QString& result, bool overwritesTarget)
{
    Entry entry;
    entry.target = QFileInfo(target).absoluteFilePath();
    entry.result = fileStamp(result);
    entry.created = fileStamp(target).size < 0;
    if (!entry.created) {
        entry.kept = m_folder + QLatin1Char('/') + QString::number(++m_kept);
        QFile::remove(entry.kept);
        if (overwritesTarget || !makeLink(target, entry.kept))
            copyKeepingAttributes(target, entry.kept);
    }
    if (overwritesTarget) {
        entry.overwritten = true;
        m_pending.append(entry);
        return;
    }
    // The result's file becomes the target by the rename, so its stamp holds.
    writeRecord({entry}, true);
}

void UndoStore::replaced(const QString& target)
{
    const QString path = QFileInfo(target).absoluteFilePath();
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        if (m_pending[i].target != path)
            continue;
        Entry entry = m_pending.takeAt(i);
        entry.result = fileStamp(path);
        writeRecord({entry}, true);
        return;
    }
}

void UndoStore::releaseDropped()
{
    waitForRelease();
    const QFileInfo info(m_folder);
    const QDir parent = info.absoluteDir();
    const QStringList dropped = parent.entryList({droppedPattern()}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    if (dropped.isEmpty())
        return;
    QStringList paths;
    for (const QString& name : dropped)
        paths.append(parent.filePath(name));
    m_release = std::thread([paths] {
        for (const QString& path : paths)
            QDir(path).removeRecursively();
    });
}

int UndoStore::fileCount() const
{
    QSet<QString> targets;
    for (const Entry& entry : readRecord())
        targets.insert(entry.target);
    return int(targets.size());
}

QList<UndoOutcome> UndoStore::undo()
{
    const QList<Entry> entries = readRecord();
    QList<UndoOutcome> outcomes;
    QList<Entry> left;
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        UndoOutcome outcome;
        try {
            outcome = undoOne(*it);
        } catch (const Failure& failure) {
            outcome = {it->target, UndoOutcome::Failed, failure.description()};
        }
        if (outcome.kind == UndoOutcome::Failed)
            left.prepend(*it);
        outcomes.append(outcome);
    }
    if (left.isEmpty()) {
        drop();
    } else {
        try {
            writeRecord(left, false);
        } catch (const Failure&) {
            // The old record still lists them; a second undo finds the others changed.
        }
    }
    return outcomes;
}

UndoOutcome UndoStore::undoOne(const Entry& entry)
{
    const FileStamp now = fileStamp(entry.target);
    if (now.size < 0)
        return {entry.target, UndoOutcome::ChangedSince, QStringLiteral("no longer there")};
    if (now != entry.result)
        return {entry.target, UndoOutcome::ChangedSince, QStringLiteral("changed since the run")};
    if (entry.created) {
        if (!QFile::remove(entry.target))
            throw Failure(QStringLiteral("Could not remove it"));
        return {entry.target, UndoOutcome::Removed, {}};
    }
    if (entry.overwritten) {
        copyIntoPlace(entry.kept, entry.target);
        QFile::remove(entry.kept);
        return {entry.target, UndoOutcome::Restored, {}};
    }
    // The old file goes beside the target first, so that the target is
    // replaced in one step and is never missing.
    const QString beside = freeNameBeside(entry.target);
    if (!makeLink(entry.kept, beside))
        copyKeepingAttributes(entry.kept, beside);
    try {
        renameOver(beside, entry.target);
    } catch (...) {
        QFile::remove(beside);
        throw;
    }
    QFile::remove(entry.kept);
    return {entry.target, UndoOutcome::Restored, {}};
}

QList<UndoStore::Entry> UndoStore::readRecord() const
{
    QList<Entry> entries;
    QFile file(recordPath());
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    QDataStream in(&file);
    while (!in.atEnd()) {
        Entry entry;
        in >> entry.created >> entry.target >> entry.kept >> entry.result.device >> entry.result.inode
            >> entry.result.size >> entry.result.modifiedNs >> entry.overwritten;
        if (in.status() != QDataStream::Ok)
            break;
        entries.append(entry);
    }
    return entries;
}

void UndoStore::writeRecord(const QList<Entry>& entries, bool append) const
{
    QFile file(recordPath());
    if (!file.open(append ? QIODevice::Append : (QIODevice::WriteOnly | QIODevice::Truncate)))
        throw Failure(QStringLiteral("Could not record the old file for undo: %1").arg(file.errorString()));
    QDataStream out(&file);
    for (const Entry& entry : entries) {
        out << entry.created << entry.target << entry.kept << entry.result.device << entry.result.inode
            << entry.result.size << entry.result.modifiedNs << entry.overwritten;
    }
    if (out.status() != QDataStream::Ok || !file.flush())
        throw Failure(QStringLiteral("Could not record the old file for undo: %1").arg(file.errorString()));
}
