// Reads and replaces the next files of a run on other threads while the run
// writes and commits the current ones, so that a run over many files keeps
// both cores busy. What is made ahead stays in memory and writes nothing: the
// run still reads each row when it reaches it, and its entry takes a prepared
// result only when the row, the pairs and the file are still what they were.
// Anything else (a failure ahead, a file too long to hold, a row or pair
// changed since) leaves the file to be worked on as always, where a failure
// is found and reported as it would be without this.
#pragma once

#include "engine/replace/preparedresult.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class FilesAhead {
public:
    // One file's work: the entry of the open tab and its pair texts as the
    // run reads them. The single tab's are {Find What} and {Replace With}.
    struct Work {
        QString path;
        int tab = 1;
        QStringList finds;
        QStringList replaces;

        bool operator==(const Work& other) const
        {
            return tab == other.tab && path == other.path && finds == other.finds && replaces == other.replaces;
        }
    };
    // At most files waiting or made, each file at most fileBytes long and its
    // result at most twice that: so what is held ahead stays within
    // files x 2 x fileBytes, and much less for the usual file.
    struct Limits {
        int files;
        qint64 fileBytes;
        int threads;
    };
    static constexpr Limits defaultLimits{6, 4LL << 20, 1};

    explicit FilesAhead(Limits limits = defaultLimits);
    FilesAhead(const FilesAhead&) = delete;
    FilesAhead& operator=(const FilesAhead&) = delete;
    // Abandons whatever is in flight; returns once the threads have ended.
    ~FilesAhead();

    bool hasRoom() const;
    // row: the run's row of the work; rows are added in increasing order.
    void add(int row, Work work);
    // The result made for this row, when it was made for the same work and
    // nothing failed ahead. Waits for a result being made; one not yet begun
    // is dropped (the caller works faster on it than waiting) unless
    // waitForAll. Works ahead of this row are dropped.
    std::optional<PreparedResult> take(int row, const Work& work, bool waitForAll = false);

    // How many files have been made ahead so far, taken or not.
    int made() const { return m_made.load(); }

private:
    struct Job {
        int row = 0;
        Work work;
        enum class State { Waiting, Making, Made, Dropped } state = State::Waiting;
        std::optional<PreparedResult> result;
    };
    void serve();
    std::optional<PreparedResult> make(const Work& work);

    const Limits m_limits;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Job>> m_jobs;
    std::atomic<bool> m_quit{false};
    std::atomic<int> m_made{0};
    std::vector<std::thread> m_threads; // last: started once the rest is made
};
