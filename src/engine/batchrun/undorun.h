// One run's way back: a folder of its own in the undo folder, locked while a
// program holds it, with the run's record and the old files it kept. The run
// that writes keeps old files through it (it is the result writers' keeper);
// an undo puts them back; the start after a hard stop finishes what a dead
// program left half done. Everything in it is reached through its handle.
#pragma once

#include "engine/batchrun/undorecord.h"
#include "engine/textfile/oldfilekeeper.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

struct UndoOutcome {
    enum Kind { Restored, Removed, ChangedSince, Failed };
    QString target;
    Kind kind = Failed;
    QString reason;
    QString keptAs; // where the old file stays, for a file left alone
};

// What newer runs' undos left at files, by place: a file that an undo of a
// newer run put back as this run left it counts as untouched since this run.
struct NewerRestore {
    FileIdentity original; // what the newer run found (this run's result)
    FileIdentity restoredTo; // what its undo left there
};
using NewerRestores = QMultiHash<QString, NewerRestore>;

class UndoRun : public OldFileKeeper {
public:
    // A new run's folder, made and locked. Throws Failure.
    static std::unique_ptr<UndoRun> create(int undoFolder, const QString& undoPath);
    // An existing run's folder, locked; null when another program holds it
    // or it is not this user's own.
    static std::unique_ptr<UndoRun> claim(int undoFolder, const QByteArray& name, const QString& undoPath);
    // The record of a run's folder without taking it; not valid when it is not ours.
    static UndoRecord peek(int undoFolder, const QByteArray& name);

    const QByteArray& name() const { return m_name; }
    QString path() const;
    UndoRecord record() const;
    // Old files may be kept as hard links (tests refuse them to take the copy path).
    void setLinking(bool allowed) { m_linking = allowed; }
    // Every result is in place: the run may be undone.
    void finish();
    // Removes what was set up for a run that kept nothing.
    bool keptNothing() const;

    // Puts back every file the run wrote, latest first. A file changed since
    // the run is left alone and its old file kept; a failed one stays for another try.
    QList<UndoOutcome> undo(const NewerRestores& newer);
    // Finishes what a program that stopped left half done; one line per file
    // that was being written or restored. Marks the run finished.
    QStringList recover();

    qint64 keep(const FilePlace& target, const FileIdentity& found, int result, bool copyOver) override;
    void settle() override;
    void copyOverBegins(qint64 ticket, const QByteArray& temporaryName, const FileIdentity& temporary) override;
    void copyOverEnded(qint64 ticket) override;
    void replaced(qint64 ticket, const FileIdentity& result) override;
    void notReplaced(qint64 ticket) override;

    // Tests stop the program in the middle of a copy back.
    void setCopyProgress(std::function<void(qint64)> progress) { m_copyProgress = std::move(progress); }

private:
    UndoRun(FileHandle folder, QByteArray name, QString undoPath);
    void append(const QByteArray& line, bool durable = false);
    UndoOutcome restore(const UndoEntry& entry, const NewerRestores& newer, bool finishing);
    UndoOutcome restoreByRename(const UndoEntry& entry, const FilePlace& place, const FileIdentity& now);
    UndoOutcome copyBack(const UndoEntry& entry, const FilePlace& place, const FileIdentity& now);
    QString finishForward(const UndoEntry& entry);
    QString finishRestoreByRename(const UndoEntry& entry);
    void settleUnfinished(const UndoEntry& entry);
    QString keptPath(const UndoEntry& entry) const;
    void dropKept(const UndoEntry& entry);
    bool keptIsIntact(const UndoEntry& entry) const;

    FileHandle m_folder; // locked for as long as this object lives
    FileHandle m_record;
    QByteArray m_name;
    QString m_undoPath;
    qint64 m_next = 0;
    bool m_linking = true;
    bool m_keptAny = false;
    bool m_unsettled = false; // kept since the last settle(), maybe not on the disk yet
    QHash<qint64, UndoEntry> m_open;
    std::function<void(qint64)> m_copyProgress;
};

// "; its previous content is kept as <path>" for an old file left in the undo data.
QString keptAsText(const QString& path);
