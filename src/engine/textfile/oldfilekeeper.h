// What a result writer tells the keeper of the way back (the undo) as it puts
// a result in a file's place, through the handles it holds. Only keep(),
// settle() and copyOverBegins() may throw; the target is then as it was.
#pragma once

#include "engine/textfile/fileplace.h"

#include <QByteArray>

class OldFileKeeper {
public:
    virtual ~OldFileKeeper() = default;

    // Just before the result takes the target's place: keeps the file found
    // there (`found`; none when it does not exist) and returns a ticket for
    // the calls below. `copyOver`: the target file itself will be overwritten,
    // so the old bytes must be copied, not linked. `result` is the finished,
    // synced result. Throws Failure: then the target stays as it is.
    virtual qint64 keep(const FilePlace& target, const FileIdentity& found, int result, bool copyOver) = 0;
    // What was kept so far is on the disk: called after keep() and before a
    // result that is itself on the disk takes the target's place (once for a
    // group of results, the later calls finding nothing new), so that a power
    // cut never leaves such a result without the old file it replaced.
    // Throws Failure with the reason, which the writer gives after the
    // target's path: then the target stays as it is.
    virtual void settle() = 0;
    // Copy-over only: the first byte of the target is about to change, the
    // whole result being in `temporaryName` beside it; and then the target is
    // whole again and synced. A copy that failed between the two leaves the
    // target torn: it is never ended, so that it can be finished later.
    virtual void copyOverBegins(qint64 ticket, const QByteArray& temporaryName, const FileIdentity& temporary) = 0;
    virtual void copyOverEnded(qint64 ticket) = 0;
    // The result is in place: the file the target's name gives now.
    virtual void replaced(qint64 ticket, const FileIdentity& result) = 0;
    // The result did not take the place: the target is as it was.
    virtual void notReplaced(qint64 ticket) = 0;
};
