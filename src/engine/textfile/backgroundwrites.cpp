#include "engine/textfile/backgroundwrites.h"

#include <utility>

BackgroundWrites::BackgroundWrites(qsizetype blockSize, std::function<void(const QByteArray&)> write)
    : m_blockSize(qMax<qsizetype>(1, blockSize)),
      m_write(std::move(write)),
      m_thread([this] { run(); })
{
    m_filling.reserve(m_blockSize);
}

BackgroundWrites::~BackgroundWrites()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void BackgroundWrites::write(const char* data, qsizetype size)
{
    while (size > 0) {
        const qsizetype taken = qMin(size, m_blockSize - m_filling.size());
        m_filling.append(data, taken);
        data += taken;
        size -= taken;
        if (m_filling.size() >= m_blockSize)
            hand();
    }
}

void BackgroundWrites::drain()
{
    if (!m_filling.isEmpty())
        hand();
    std::unique_lock<std::mutex> lock(m_mutex);
    waitIdle(lock);
}

void BackgroundWrites::hand()
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        waitIdle(lock);
        std::swap(m_filling, m_inFlight);
        m_busy = true;
    }
    m_changed.notify_all();
    // The block written before, its room kept for the next.
    m_filling.resize(0);
    m_filling.reserve(m_blockSize);
}

void BackgroundWrites::waitIdle(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [this] { return !m_busy; });
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void BackgroundWrites::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_busy || m_stop; });
        if (!m_busy)
            return;
        lock.unlock();
        std::exception_ptr failure;
        try {
            m_write(m_inFlight);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !m_failure)
            m_failure = failure;
        m_busy = false;
        m_changed.notify_all();
    }
}
