// Results that replace their sources in place, committed in groups. Each
// result must be on the disk before it takes its file's place; one wait per
// file is what makes many small files slow. A group keeps the old files for
// the way back and waits once, for them and for the files' data synced side
// by side, then each result takes its file's place in order, checked just
// before its rename as always, then each folder is synced once. A stop or a failure never leaves a file
// torn: a pending result either takes its file's place whole or is dropped, its file as it was. A full group is sent on
// its way: its data goes to the disk on other threads while the next files are worked on, and it takes its files'
// places when the next group is sent or at the flush, on the owner's thread, in order. The batch run holds one per run
// and flushes it before it says "Done." or "Stopped."; the engine entries add to it when the run gives them one.
#pragma once

#include "engine/textfile/resultwriter.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct PendingResult {
    std::unique_ptr<ResultWriter> writer; // finished, not committed
    // Once the result is in its place (the run's collision rules, undo).
    std::function<void(const ResultWriter&)> committed;
    // Reports a failed commit as the engine reports its own steps.
    std::function<void(const QString& description)> failed;
    // The owner's mark for the result, handed back with a failure.
    qsizetype tag = 0;
};

class CommitQueue {
public:
    // How much may wait: every pending result holds an open file, and its
    // data the page cache. A sent group waits as well, so twice this at most.
    struct Limits {
        int files;
        qint64 bytes;
    };
    static constexpr Limits defaultLimits{64, 128LL << 20};
    // failedTag, when given, learns which result a failed commit was.
    explicit CommitQueue(
        std::function<void(qsizetype tag, const QString& description)> failedTag = {}, Limits limits = defaultLimits);
    CommitQueue(const CommitQueue&) = delete;
    CommitQueue& operator=(const CommitQueue&) = delete;
    // Drops whatever is still pending or sent: those files stay as they were.
    ~CommitQueue();

    void add(PendingResult pending);
    // The owner sends or flushes when full, after it has taken note of the last file.
    bool isFull() const;
    bool isEmpty() const;
    // Commits the group sent before, once its data is on the disk, then sends
    // the pending results: their data starts for the disk and this returns.
    // waiting as for flush(). Throws only what waiting throws.
    void send(const std::function<void()>& waiting = {});
    // Commits every sent and pending result; a failed one is reported and the
    // others go on. waiting, when given, is called every 20 ms while the data
    // goes to the disk (the window answers then). Throws only what waiting throws.
    void flush(const std::function<void()>& waiting = {});

private:
    class Group;
    void commit(Group& group, const std::function<void()>& waiting);
    // One step of a result's commit: false when it failed, which is reported.
    bool tryStep(PendingResult& result, const std::function<void()>& step);

    std::function<void(qsizetype, const QString&)> m_failedTag;
    Limits m_limits;
    std::vector<PendingResult> m_pending;
    qint64 m_bytes = 0;
    std::unique_ptr<Group> m_sent;
};
