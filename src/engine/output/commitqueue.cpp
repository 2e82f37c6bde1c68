#include "engine/output/commitqueue.h"

#include "base/failure.h"

#include <QSet>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

// Syncs side by side: the file system then writes its journal once for
// several files instead of once for each.
class CommitQueue::Group {
public:
    static constexpr int syncThreads = 8;

    explicit Group(std::vector<PendingResult> results) : m_results(std::move(results))
    {
        const int threads = int(qMin<size_t>(syncThreads, m_results.size()));
        m_running = threads;
        m_workers.reserve(size_t(threads));
        for (int t = 0; t < threads; ++t) {
            m_workers.emplace_back([this, t, threads] {
                for (size_t i = size_t(t); i < m_results.size(); i += size_t(threads))
                    m_results[i].writer->syncData();
                const std::lock_guard<std::mutex> lock(m_mutex);
                --m_running;
                m_ended.notify_one();
            });
        }
    }
    Group(const Group&) = delete;
    Group& operator=(const Group&) = delete;
    ~Group() { join(); }

    // The window goes on answering while the disk works; what it throws
    // waits until the workers are done.
    void wait(const std::function<void()>& waiting)
    {
        std::exception_ptr thrown;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            while (m_running > 0) {
                if (m_ended.wait_for(lock, std::chrono::milliseconds(20)) == std::cv_status::timeout && waiting
                    && !thrown) {
                    lock.unlock();
                    try {
                        waiting();
                    } catch (...) {
                        thrown = std::current_exception();
                    }
                    lock.lock();
                }
            }
        }
        join();
        if (thrown)
            std::rethrow_exception(thrown);
    }

    std::vector<PendingResult>& results() { return m_results; }

private:
    void join()
    {
        for (std::thread& worker : m_workers) {
            if (worker.joinable())
                worker.join();
        }
    }

    std::vector<PendingResult> m_results;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    int m_running = 0;
    std::vector<std::thread> m_workers;
};

CommitQueue::CommitQueue(std::function<void(qsizetype, const QString&)> failedTag, Limits limits)
    : m_failedTag(std::move(failedTag)),
      m_limits(limits)
{
}

CommitQueue::~CommitQueue() = default;

void CommitQueue::add(PendingResult pending)
{
    m_bytes += pending.writer->size();
    m_pending.push_back(std::move(pending));
}

bool CommitQueue::isFull() const
{
    return int(m_pending.size()) >= m_limits.files || m_bytes >= m_limits.bytes;
}

bool CommitQueue::isEmpty() const
{
    return m_pending.empty() && !m_sent;
}

void CommitQueue::send(const std::function<void()>& waiting)
{
    std::unique_ptr<Group> before = std::move(m_sent);
    if (!m_pending.empty()) {
        m_sent = std::make_unique<Group>(std::move(m_pending));
        m_pending.clear();
        m_bytes = 0;
    }
    if (before)
        commit(*before, waiting);
}

void CommitQueue::flush(const std::function<void()>& waiting)
{
    // The group sent before takes its places first, so that the files keep
    // the order of the run; the last results follow even when waiting threw.
    std::exception_ptr thrown;
    for (int round = 0; round < 2; ++round) {
        try {
            send(thrown ? std::function<void()>() : waiting);
        } catch (...) {
            if (!thrown)
                thrown = std::current_exception();
        }
    }
    if (thrown)
        std::rethrow_exception(thrown);
}

bool CommitQueue::tryStep(PendingResult& result, const std::function<void()>& step)
{
    QString failure;
    try {
        step();
        return true;
    } catch (const Failure& error) {
        failure = error.description();
    } catch (const std::bad_alloc&) {
        failure = QStringLiteral("Out of memory");
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    }
    if (result.failed)
        result.failed(failure);
    if (m_failedTag)
        m_failedTag(result.tag, failure);
    return false;
}

void CommitQueue::commit(Group& group, const std::function<void()>& waiting)
{
    // The old files are kept and put on the disk while the results' data
    // still goes there: both are there before the first result takes its
    // place, with one wait.
    std::vector<PendingResult*> kept;
    std::vector<PendingResult*> failed;
    for (PendingResult& result : group.results()) {
        const bool keptOld = tryStep(result, [&] { result.writer->keepForCommit(); });
        (keptOld ? kept : failed).push_back(&result);
    }
    // The first settles them all; the others find nothing new, unless it failed.
    std::vector<PendingResult*> settled;
    for (PendingResult* result : kept) {
        const bool onDisk = tryStep(*result, [&] { result->writer->settleKept(); });
        (onDisk ? settled : failed).push_back(result);
    }
    kept.swap(settled);
    // The results are on the disk even when waiting threw: commit them first.
    std::exception_ptr thrown;
    try {
        group.wait(waiting);
    } catch (...) {
        thrown = std::current_exception();
    }
    // A failed result goes once its data is no longer being synced: its
    // temporary file is removed.
    for (PendingResult* result : failed)
        result->writer.reset();
    QSet<QString> folders;
    std::vector<ResultWriter*> committed;
    for (PendingResult* result : kept) {
        const bool placed = tryStep(*result, [&] {
            result->writer->placeResult();
            const QString folder = result->writer->folderKey();
            if (!folders.contains(folder)) {
                folders.insert(folder);
                committed.push_back(result->writer.get());
            }
            if (result->committed)
                result->committed(*result->writer);
        });
        if (!placed)
            result->writer.reset();
    }
    // The renames reach the disk with their folders, once per folder.
    for (ResultWriter* writer : committed)
        writer->syncFolder();
    if (thrown)
        std::rethrow_exception(thrown);
}
