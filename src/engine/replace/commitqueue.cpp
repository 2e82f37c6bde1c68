#include "engine/replace/commitqueue.h"

#include "base/failure.h"

#include <QSet>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

// Syncs side by side: the file system then writes its journal once for
// several files instead of once for each.
constexpr int syncThreads = 8;

void syncAll(std::vector<PendingResult>& pending, const std::function<void()>& waiting)
{
    const int threads = int(qMin<size_t>(syncThreads, pending.size()));
    std::mutex mutex;
    std::condition_variable ended;
    int running = threads;
    std::vector<std::thread> workers;
    workers.reserve(size_t(threads));
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (size_t i = size_t(t); i < pending.size(); i += size_t(threads))
                pending[i].writer->syncData();
            const std::lock_guard<std::mutex> lock(mutex);
            --running;
            ended.notify_one();
        });
    }
    // The window goes on answering while the disk works; what it throws
    // waits until the workers are done.
    std::exception_ptr thrown;
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (running > 0) {
            if (ended.wait_for(lock, std::chrono::milliseconds(20)) == std::cv_status::timeout && waiting && !thrown) {
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
    for (std::thread& worker : workers)
        worker.join();
    if (thrown)
        std::rethrow_exception(thrown);
}

} // namespace

CommitQueue::CommitQueue(std::function<void(qsizetype, const QString&)> failedTag, Limits limits)
    : m_failedTag(std::move(failedTag)), m_limits(limits)
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

void CommitQueue::flush(const std::function<void()>& waiting)
{
    if (m_pending.empty())
        return;
    std::vector<PendingResult> group;
    group.swap(m_pending);
    m_bytes = 0;
    // The results are on the disk even when waiting threw: commit them first.
    std::exception_ptr thrown;
    try {
        syncAll(group, waiting);
    } catch (...) {
        thrown = std::current_exception();
    }
    QSet<QString> folders;
    std::vector<ResultWriter*> committed;
    for (PendingResult& result : group) {
        QString failure;
        try {
            result.writer->commitInGroup();
            const QString folder = result.writer->folderKey();
            if (!folders.contains(folder)) {
                folders.insert(folder);
                committed.push_back(result.writer.get());
            }
            if (result.committed)
                result.committed(*result.writer);
            continue;
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
        // A failed result goes now: its temporary file is removed.
        result.writer.reset();
    }
    // The renames reach the disk with their folders, once per folder.
    for (ResultWriter* writer : committed)
        writer->syncFolder();
    if (thrown)
        std::rethrow_exception(thrown);
}
