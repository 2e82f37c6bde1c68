// The record of one run's way back, kept in the run's undo folder as lines of
// text appended as the run goes: each file kept ("K"), its result in place
// ("R") or not ("V"), a copy over a file itself under way ("J", ended by "j"),
// what an undo did with it ("U"), the run finished ("F") and undone ("D").
// A line cut short by a hard stop is ignored. Paths are hex, so any name fits.
#pragma once

#include "engine/textfile/fileplace.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct UndoEntry {
    // How the result took the target's place.
    enum Kind { Created, Renamed, CopiedOver };
    enum Undone { NotUndone, Restored, Removed, LeftAlone };

    qint64 index = 0;
    Kind kind = Created;
    QString target; // the path as the run had it
    FileIdentity folder; // the folder the target was in
    QByteArray name; // the target's name in it
    QByteArray kept; // the old file's name in the run's folder; empty for Created
    FileIdentity original; // the target before the run
    FileIdentity keptFile; // the kept file as it was made
    FileIdentity expected; // the finished result before it took the place

    bool replaced = false;
    bool voided = false;
    FileIdentity result; // the target once the result was in place
    bool journalOpen = false;
    bool journalEnded = false; // a journal entry was opened and closed
    char journalDirection = 'f'; // 'f' forward, 'u' undo
    QByteArray journalTemporary;
    FileIdentity journalTemporaryFile;
    Undone undone = NotUndone;
    FileIdentity restoredTo; // what an undo left at the target

    // Waits for an undo: in place, not undone yet.
    bool undoable() const { return replaced && !voided && undone == NotUndone; }
    // "device:inode/name" of the target's place.
    QString placeKey() const;
};

struct UndoRecord {
    bool valid = false; // a record of ours at all
    bool finished = false;
    bool undone = false;
    QList<UndoEntry> entries;

    int undoableCount() const;
    bool hasOpenJournal() const;
};

// Reads what the lines say. Lines that do not parse are left out.
UndoRecord parseUndoRecord(const QByteArray& text);

// The lines, each ending in "\n".
QByteArray headerLine();
QByteArray keptLine(const UndoEntry& entry);
QByteArray replacedLine(qint64 index, const FileIdentity& result);
QByteArray voidedLine(qint64 index);
QByteArray journalLine(qint64 index, char direction, const QByteArray& temporary, const FileIdentity& file);
QByteArray journalEndLine(qint64 index);
QByteArray undoneLine(qint64 index, UndoEntry::Undone how, const FileIdentity& restoredTo);
QByteArray finishedLine();
QByteArray runUndoneLine();
