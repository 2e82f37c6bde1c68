// Writes a long result on a thread of its own, so that the wait in the system
// call (and for the disk, where the system holds back a fast writer) overlaps
// the reading and searching of the next piece. The bytes are gathered into
// blocks; one block is in flight at most, so memory stays at two blocks. The
// owner's write function runs on that thread, one block after another in
// order; a failure is kept and thrown to the owner at its next write() or
// drain(). Used by ResultWriter only.
#pragma once

#include <QByteArray>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class BackgroundWrites {
public:
    // Throws std::system_error when no thread can be started.
    BackgroundWrites(qsizetype blockSize, std::function<void(const QByteArray&)> write);
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;
    // Waits for the block in flight; a failure of it is dropped.
    ~BackgroundWrites();

    // Waits only while a full block finds the one before still being
    // written. Rethrows the failure of an earlier block.
    void write(const char* data, qsizetype size);
    // Returns once every byte given is written. Rethrows a failure.
    void drain();

private:
    void hand();
    void waitIdle(std::unique_lock<std::mutex>& lock);
    void run();

    const qsizetype m_blockSize;
    std::function<void(const QByteArray&)> m_write;
    QByteArray m_filling;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QByteArray m_inFlight;
    bool m_busy = false;
    bool m_stop = false;
    std::exception_ptr m_failure;
    std::thread m_thread; // last: starts once the rest is made
};
