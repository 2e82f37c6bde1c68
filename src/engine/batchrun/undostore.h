// The way back from runs that wrote. Before a result replaces a file, the old
// file is kept in the run's own folder under the private undo folder: a hard
// link where the file system allows (no copy, no extra space), a copy
// otherwise; a result that created a file is recorded so that undo removes
// it. Each window's runs are locked while the window lives, so that another
// window never undoes them; the last 10 runs' data is kept, none older than
// 30 days. The batch run owns one.
#pragma once

#include "engine/batchrun/undorun.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <thread>
#include <vector>

class UndoStore {
public:
    static constexpr int keptRuns = 10;
    static constexpr int keptDays = 30;

    // stateFolder: the program's private folder; the undo data is in "undo" there.
    explicit UndoStore(QString stateFolder);
    UndoStore(const UndoStore&) = delete;
    UndoStore& operator=(const UndoStore&) = delete;
    // Waits for the removal of dropped runs.
    ~UndoStore();

    QString folder() const { return m_undoPath; }
    // A new run's keeper, locked until the window ends. Throws Failure, such
    // as "<folder> is not private": the run then goes without a way back.
    OldFileKeeper& begin();
    // The run's results are in place: it may be undone. A run that kept
    // nothing leaves no data; one that did drops the oldest beyond the last 10.
    // True when the run kept something, so that it can be undone.
    bool end();
    // Old files may be kept as hard links (tests refuse them to take the copy path).
    void setLinking(bool allowed) { m_linking = allowed; }
    // Tests stop the program in the middle of an undo's copy.
    void setCopyProgress(std::function<void(qint64)> progress) { m_copyProgress = std::move(progress); }

    // What Ctrl+Z would undo: the newest run of this window that is not
    // undone, else the newest finished run that no running program holds.
    struct Candidate {
        // HeldElsewhere: only runs of other windows still open are left.
        enum State { None, Ready, RunningElsewhere, HeldElsewhere, Unavailable };
        State state = None;
        int files = 0;
        QString problem; // for Unavailable
    };
    Candidate findCandidate();
    // Undoes the run findCandidate() found.
    QList<UndoOutcome> undoCandidate();
    // Lets go of the run findCandidate() found, for another window to take.
    void dropCandidate();
    // What findCandidate() finished of a run whose program had stopped.
    QStringList takeRecovered();
    // The number of files that undo would give back or remove.
    int fileCount() { return findCandidate().files; }

    // At a start: finishes what programs that stopped left half done, one
    // line per file, and drops runs older than 30 days.
    QStringList recoverAtStart();

private:
    int undoFolder();
    QList<QByteArray> runNames();
    NewerRestores restoresNewerThan(const QByteArray& name);
    void dropOld(int keep, qint64 olderThanDays);
    void releaseDropped();
    void waitForRelease();

    QString m_statePath;
    QString m_undoPath;
    FileHandle m_stateFolder;
    FileHandle m_undoFolder;
    bool m_linking = true;
    std::function<void(qint64)> m_copyProgress;
    std::vector<std::unique_ptr<UndoRun>> m_own; // this window's runs, oldest first
    std::unique_ptr<UndoRun> m_current;
    std::unique_ptr<UndoRun> m_candidate; // another window's run, taken for an undo
    UndoRun* m_chosen = nullptr;
    QStringList m_recovered;
    std::thread m_release;
};
