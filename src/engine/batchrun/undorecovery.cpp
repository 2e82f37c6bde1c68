// The start after a hard stop: what a program that died left half done in
// its run is finished from the journal, so that no file stays torn and no
// old file is lost. A copy over a file itself goes forward from its synced
// temporary file, or back from the kept old file when that is gone; a copy
// back of an undo is completed from the kept file; a result whose rename was
// not recorded is recognised by what it was before the rename.
#include "engine/batchrun/undorun.h"
#include "engine/textfile/filecopy.h"

#include <QDir>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString writtenLine(const QString& target, const QString& what)
{
    return QDir::toNativeSeparators(target) + QStringLiteral(" was being written when Tallowmere stopped; ") + what;
}

QString restoredLine(const QString& target, const QString& what)
{
    return QDir::toNativeSeparators(target) + QStringLiteral(" was being restored when Tallowmere stopped; ") + what;
}

} // namespace

#ifdef Q_OS_UNIX

QStringList UndoRun::recover()
{
    QStringList lines;
    const UndoRecord before = record();
    for (const UndoEntry& entry : before.entries) {
        try {
            if (entry.journalOpen && entry.journalDirection == 'f') {
                lines << finishForward(entry);
            } else if (entry.journalOpen && entry.kind == UndoEntry::CopiedOver) {
                const UndoOutcome outcome = restore(entry, {}, true);
                lines << restoredLine(entry.target,
                    outcome.kind == UndoOutcome::Restored
                        ? QStringLiteral("it has been restored.")
                        : QStringLiteral("it could not be restored: ") + outcome.reason + keptAsText(keptPath(entry)));
            } else if (entry.journalOpen) {
                const QString line = finishRestoreByRename(entry);
                if (!line.isEmpty())
                    lines << line;
            } else if (!entry.replaced && !entry.voided) {
                settleUnfinished(entry);
            }
        } catch (const Failure& failure) {
            lines << QDir::toNativeSeparators(entry.target)
                    + QStringLiteral(" was being written when Tallowmere stopped and could not be made whole: ")
                    + failure.description() + (entry.kept.isEmpty() ? QString() : keptAsText(keptPath(entry)));
        }
    }
    if (!before.finished)
        finish();
    return lines;
}

// A copy over the file itself was under way: the file may be torn.
QString UndoRun::finishForward(const UndoEntry& entry)
{
    const FilePlace place = locateFile(entry.target);
    if (!place.folderIdentity().sameFile(entry.folder) || !place.identity().sameFile(entry.expected))
        throwFileFailure(entry.target, QStringLiteral("it was moved or replaced since"));
    const FileHandle target(::openat(
        place.folder.get(), place.name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!target.isOpen() || !identityOfHandle(target.get()).sameFile(entry.expected))
        throwFileError(entry.target, target.isOpen() ? ESTALE : errno);
    const FileIdentity temporary = identityAt(place.folder.get(), entry.journalTemporary);
    const bool forward = temporary.regular && temporary.sameState(entry.journalTemporaryFile);
    FileHandle from(forward
            ? ::openat(place.folder.get(), entry.journalTemporary.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC)
            : ::openat(m_folder.get(), entry.kept.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!from.isOpen() || (!forward && !keptIsIntact(entry)))
        throwFileFailure(entry.target, QStringLiteral("neither its result nor its previous content is whole"));
    const qint64 size = forward ? temporary.size : entry.keptFile.size;
    int error = reserveSpace(target.get(), size);
    if (error == 0)
        error = copyFileData(from.get(), target.get(), size);
    if (error == 0 && ::fsync(target.get()) != 0)
        error = errno;
    if (error != 0)
        throwFileError(entry.target, error);
    if (forward) {
        append(replacedLine(entry.index, identityOfHandle(target.get())));
        append(journalEndLine(entry.index), true);
        (void)::unlinkat(place.folder.get(), entry.journalTemporary.constData(), 0);
        return writtenLine(entry.target, QStringLiteral("it has been completed."));
    }
    append(voidedLine(entry.index));
    append(journalEndLine(entry.index), true);
    dropKept(entry);
    return writtenLine(entry.target, QStringLiteral("its previous content has been put back."));
}

// An undo's rename was under way: either the file is back (the rename was
// done) or its temporary file beside it is removed and the file stays to undo.
QString UndoRun::finishRestoreByRename(const UndoEntry& entry)
{
    const FilePlace place = locateFile(entry.target);
    QString line;
    if (place.folderIdentity().sameFile(entry.folder)) {
        const FileIdentity temporary = identityAt(place.folder.get(), entry.journalTemporary);
        if (temporary.sameFile(entry.journalTemporaryFile)) {
            (void)::unlinkat(place.folder.get(), entry.journalTemporary.constData(), 0);
        } else if (place.identity().sameFile(entry.journalTemporaryFile)) {
            dropKept(entry);
            append(undoneLine(entry.index, UndoEntry::Restored, place.identity()));
            line = restoredLine(entry.target, QStringLiteral("it has been restored."));
        }
    }
    append(journalEndLine(entry.index), true);
    return line;
}

// Kept, but neither in place nor given up: tell by what the file is now.
void UndoRun::settleUnfinished(const UndoEntry& entry)
{
    FileIdentity now;
    try {
        const FilePlace place = locateFile(entry.target);
        if (place.folderIdentity().sameFile(entry.folder))
            now = place.identity();
    } catch (const Failure&) {
    }
    // A copy over the file itself that ended had its result synced whole.
    const bool inPlace = entry.kind == UndoEntry::CopiedOver ? entry.journalEnded && now.sameFile(entry.expected)
                                                             : now.sameState(entry.expected);
    if (inPlace) {
        append(replacedLine(entry.index, now));
    } else if (entry.kind == UndoEntry::Created ? !now.exists : now.sameState(entry.original)) {
        append(voidedLine(entry.index));
        dropKept(entry);
    } else {
        // Something else is there: the old file stays, for the user.
        append(undoneLine(entry.index, UndoEntry::LeftAlone, {}));
    }
}

#else

QStringList UndoRun::recover()
{
    return {};
}

QString UndoRun::finishForward(const UndoEntry&)
{
    return {};
}

QString UndoRun::finishRestoreByRename(const UndoEntry&)
{
    return {};
}

void UndoRun::settleUnfinished(const UndoEntry&) { }

#endif
