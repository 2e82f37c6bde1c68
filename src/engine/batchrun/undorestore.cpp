// Putting a run's old files back, as the run put its results in place: each
// file found through its folder's handle, checked to be still as the run (or
// a newer run's undo) left it just before it is touched, then replaced in one
// rename, or, for a file that must stay the same file, the kept bytes copied
// into it with the space taken first and a journal entry while it is torn.
#include "engine/batchrun/undorun.h"
#include "engine/textfile/fileattributes.h"
#include "engine/textfile/filecopy.h"
#include "engine/textfile/temporaryname.h"

#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

UndoOutcome leftAlone(const UndoEntry& entry, const QString& why)
{
    return {entry.target, UndoOutcome::ChangedSince, why};
}

UndoOutcome failed(const UndoEntry& entry, const QString& why)
{
    return {entry.target, UndoOutcome::Failed, why};
}

// As this run left the file: untouched since, or put back by a newer run's
// undo to what that run found, which was this run's result.
bool asTheRunLeftIt(const UndoEntry& entry, const FileIdentity& now, const NewerRestores& newer)
{
    if (now.untouchedSince(entry.result))
        return true;
    const auto range = newer.equal_range(entry.placeKey());
    for (auto it = range.first; it != range.second; ++it) {
        if (now.untouchedSince(it->restoredTo) && it->original.sameState(entry.result))
            return true;
    }
    return false;
}

#ifdef Q_OS_UNIX
void setModified(int fd, const FileIdentity& like)
{
    const struct timespec times[2]
        = {{0, UTIME_OMIT}, {time_t(like.modified / 1000000000), long(like.modified % 1000000000)}};
    (void)::futimens(fd, times);
}

QString attributesText(const QStringList& missing)
{
    return missing.isEmpty()
        ? QString()
        : QStringLiteral("its ") + missing.join(QStringLiteral(", ")) + QStringLiteral(" could not be restored");
}
#endif

} // namespace

QList<UndoOutcome> UndoRun::undo(const NewerRestores& newer)
{
    const UndoRecord before = record();
    QList<UndoOutcome> outcomes;
    bool allDone = true;
    for (auto it = before.entries.crbegin(); it != before.entries.crend(); ++it) {
        const UndoEntry& entry = *it;
        if (!entry.undoable())
            continue;
        UndoOutcome outcome;
        try {
            outcome = restore(entry, newer, false);
        } catch (const Failure& failure) {
            outcome = failed(entry, failure.description());
        }
        // The old file stays with this run's data, for the user to take.
        if (outcome.kind != UndoOutcome::Restored && outcome.kind != UndoOutcome::Removed && !entry.kept.isEmpty())
            outcome.keptAs = keptPath(entry);
        if (outcome.kind == UndoOutcome::Failed) {
            allDone = false;
        } else if (outcome.kind == UndoOutcome::ChangedSince) {
            try {
                append(undoneLine(entry.index, UndoEntry::LeftAlone, {}));
            } catch (const Failure&) {
                allDone = false;
            }
        }
        outcomes.append(outcome);
    }
    if (allDone) {
        try {
            append(runUndoneLine(), true);
        } catch (const Failure&) {
        }
    }
    return outcomes;
}

#ifdef Q_OS_UNIX

// finishing: a restore that a stop cut short is completed whatever the
// torn file's size and time now.
UndoOutcome UndoRun::restore(const UndoEntry& entry, const NewerRestores& newer, bool finishing)
{
    FilePlace place;
    try {
        place = locateFile(entry.target);
    } catch (const Failure&) {
        return leftAlone(entry, QStringLiteral("no longer there"));
    }
    // A folder moved, or swapped for a link, since the run is not written into.
    if (!place.folderIdentity().sameFile(entry.folder))
        return leftAlone(entry, QStringLiteral("its folder was moved or replaced since the run"));
    const FileIdentity now = place.identity();
    if (!now.exists)
        return leftAlone(entry, QStringLiteral("no longer there"));
    // A copy back that a stop cut short left the file torn by us.
    const bool tornByUs
        = entry.kind == UndoEntry::CopiedOver && (finishing || (entry.journalOpen && entry.journalDirection == 'u'));
    if (tornByUs ? !now.sameFile(entry.result) : !asTheRunLeftIt(entry, now, newer))
        return leftAlone(entry, QStringLiteral("changed since the run"));
    if (!entry.kept.isEmpty() && !keptIsIntact(entry))
        return failed(entry, QStringLiteral("its kept previous content is missing or was changed"));

    if (entry.kind == UndoEntry::Created) {
        // Set aside under a name of ours first: only the file this run
        // created is removed, whatever took its name meanwhile.
        const QByteArray aside = temporaryName(QFileInfo(entry.target).fileName());
        if (::renameat2(
                place.folder.get(), place.name.constData(), place.folder.get(), aside.constData(), RENAME_NOREPLACE)
            != 0)
            throwFileError(entry.target, errno);
        if (!identityAt(place.folder.get(), aside).sameState(now)) {
            (void)::renameat2(
                place.folder.get(), aside.constData(), place.folder.get(), place.name.constData(), RENAME_NOREPLACE);
            return leftAlone(entry, QStringLiteral("changed since the run"));
        }
        if (::unlinkat(place.folder.get(), aside.constData(), 0) != 0)
            throwFileError(entry.target, errno);
        append(undoneLine(entry.index, UndoEntry::Removed, {}));
        return {entry.target, UndoOutcome::Removed, {}};
    }
    if (entry.kind == UndoEntry::CopiedOver)
        return copyBack(entry, place, tornByUs ? FileIdentity{} : now);
    return restoreByRename(entry, place, now);
}

UndoOutcome UndoRun::restoreByRename(const UndoEntry& entry, const FilePlace& place, const FileIdentity& now)
{
    const int folder = place.folder.get();
    const QString targetName = QFileInfo(entry.target).fileName();
    QByteArray temporary;
    FileHandle file;
    QStringList missing;
    const bool linked = identityAt(m_folder.get(), entry.kept).sameFile(entry.original);
    if (linked) {
        // The very file comes back, with all that is its own.
        temporary = temporaryName(targetName);
        if (::linkat(m_folder.get(), entry.kept.constData(), folder, temporary.constData(), 0) != 0)
            throwFileError(entry.target, errno);
        file = FileHandle(::openat(folder, temporary.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    } else {
        file = createTemporaryIn(folder, targetName, entry.target, temporary);
    }
    auto removeTemporary = [&] { (void)::unlinkat(folder, temporary.constData(), 0); };
    try {
        append(journalLine(entry.index, 'u', temporary, identityOfHandle(file.get())), !linked);
    } catch (...) {
        removeTemporary();
        throw;
    }
    if (!linked) {
        // A copy from another file system: the bytes from the kept copy, the
        // rest from the file it replaces, which the run gave what the old one had.
        const FileHandle kept(::openat(m_folder.get(), entry.kept.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        const FileHandle current(
            ::openat(folder, place.name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        int error = kept.isOpen() ? reserveSpace(file.get(), entry.keptFile.size) : errno;
        if (error == 0)
            error = copyFileData(kept.get(), file.get(), entry.keptFile.size, m_copyProgress);
        if (error == 0) {
            missing = giveAttributes(file.get(), entry.original, current.get());
            setModified(file.get(), entry.original);
            if (::fsync(file.get()) != 0)
                error = errno;
        }
        if (error != 0) {
            removeTemporary();
            append(journalEndLine(entry.index));
            throwFileError(entry.target, error);
        }
    }
    if (!place.identity().untouchedSince(now)) {
        removeTemporary();
        append(journalEndLine(entry.index));
        return leftAlone(entry, QStringLiteral("changed since the run"));
    }
    if (::renameat(folder, temporary.constData(), folder, place.name.constData()) != 0) {
        const int error = errno;
        removeTemporary();
        append(journalEndLine(entry.index));
        throwFileError(entry.target, error);
    }
    const FileHandle folderToSync(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    (void)::fsync(folderToSync.get());
    // The kept link goes first: its removal moves the file's change time,
    // and a later undo of the run before compares with what is recorded here.
    dropKept(entry);
    append(undoneLine(entry.index, UndoEntry::Restored, identityOfHandle(file.get())));
    append(journalEndLine(entry.index), true);
    return {entry.target, UndoOutcome::Restored, attributesText(missing)};
}

// The file keeps its inode, links and owner: the kept bytes go into it. The
// kept copy stays until the file is whole and synced.
// now: the file as checked, or none for a file torn by an earlier copy back.
UndoOutcome UndoRun::copyBack(const UndoEntry& entry, const FilePlace& place, const FileIdentity& now)
{
    const FileHandle target(::openat(
        place.folder.get(), place.name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!target.isOpen())
        throwFileError(entry.target, errno);
    const FileIdentity opened = identityOfHandle(target.get());
    if (now.exists ? !opened.untouchedSince(now) : !opened.sameFile(entry.result))
        return leftAlone(entry, QStringLiteral("changed since the run"));
    const FileHandle kept(::openat(m_folder.get(), entry.kept.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!kept.isOpen())
        throwFileError(keptPath(entry), errno);
    // Even a reservation that fails may move the file's times: from here on
    // the file counts as ours to finish, by the next undo or the next start.
    if (!entry.journalOpen)
        append(journalLine(entry.index, 'u', {}, entry.keptFile), true);
    if (const int reserved = reserveSpace(target.get(), entry.keptFile.size))
        throwFileError(entry.target, reserved);
    int error = copyFileData(kept.get(), target.get(), entry.keptFile.size, m_copyProgress);
    if (error == 0) {
        setModified(target.get(), entry.original);
        if (::fsync(target.get()) != 0)
            error = errno;
    }
    if (error != 0) {
        // Torn: the journal entry stays, and the kept copy with it.
        throwFileFailure(
            entry.target, systemErrorText(error) + QStringLiteral("; it is incomplete until the undo is done again"));
    }
    append(undoneLine(entry.index, UndoEntry::Restored, identityOfHandle(target.get())));
    append(journalEndLine(entry.index), true);
    dropKept(entry);
    return {entry.target, UndoOutcome::Restored, {}};
}

#else

UndoOutcome UndoRun::restore(const UndoEntry& entry, const NewerRestores&, bool)
{
    return failed(entry, QStringLiteral("undo is not available on this system"));
}

UndoOutcome UndoRun::restoreByRename(const UndoEntry& entry, const FilePlace&, const FileIdentity&)
{
    return failed(entry, QStringLiteral("undo is not available on this system"));
}

UndoOutcome UndoRun::copyBack(const UndoEntry& entry, const FilePlace&, const FileIdentity&)
{
    return failed(entry, QStringLiteral("undo is not available on this system"));
}

#endif
