#include "engine/textfile/sparetemporaries.h"

#include "engine/textfile/temporaryname.h"

#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

SpareTemporaries::SpareTemporaries(int ahead) : m_ahead(size_t(qMax(1, ahead)))
{
#ifdef Q_OS_UNIX
    m_worker = std::thread([this] { work(); });
#endif
}

SpareTemporaries::~SpareTemporaries()
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    std::unique_lock<std::mutex> lock(m_mutex);
    dropAll(lock);
}

FileHandle SpareTemporaries::take(int folder, QByteArray& name)
{
#ifdef Q_OS_UNIX
    const QString key = identityOfHandle(folder).key();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (key == m_folderKey && !m_spares.empty()) {
        Spare spare = std::move(m_spares.front());
        m_spares.pop_front();
        lock.unlock();
        m_wake.notify_all();
        name = spare.name;
        return std::move(spare.file);
    }
    if (key != m_folderKey) {
        dropAll(lock);
        // Only a folder asked for twice in a row gets files made ahead: where
        // every file lies in a folder of its own, they would all be thrown away.
        if (key == m_lastAsked) {
            m_folderKey = key;
            m_folder = FileHandle(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
            lock.unlock();
            m_wake.notify_all();
        }
    }
    m_lastAsked = key;
#else
    Q_UNUSED(folder);
    Q_UNUSED(name);
#endif
    return FileHandle();
}

// Called with the lock held; the files of another folder are no use.
void SpareTemporaries::dropAll(std::unique_lock<std::mutex>&)
{
#ifdef Q_OS_UNIX
    for (const Spare& spare : m_spares)
        (void)::unlinkat(m_folder.get(), spare.name.constData(), 0);
#endif
    m_spares.clear();
    m_folder.reset();
    m_folderKey.clear();
    m_stuck = false;
}

void SpareTemporaries::work()
{
#ifdef Q_OS_UNIX
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_ending || (m_folder.isOpen() && !m_stuck && m_spares.size() < m_ahead); });
        if (m_ending)
            return;
        // Made outside the lock, in the folder asked for when it began.
        const int folder = ::fcntl(m_folder.get(), F_DUPFD_CLOEXEC, 0);
        const QString key = m_folderKey;
        lock.unlock();
        FileHandle made;
        QByteArray name;
        for (int attempt = 0; attempt < 10 && folder >= 0 && !made.isOpen(); ++attempt) {
            name = temporaryName(QString());
            made = FileHandle(
                ::openat(folder, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!made.isOpen() && errno != EEXIST)
                break;
        }
        lock.lock();
        if (made.isOpen() && key == m_folderKey && !m_ending) {
            m_spares.push_back({std::move(made), name});
        } else {
            if (made.isOpen())
                (void)::unlinkat(folder, name.constData(), 0);
            // A folder where none can be made gets none: the writer says why.
            if (!made.isOpen() && key == m_folderKey)
                m_stuck = true;
        }
        if (folder >= 0)
            ::close(folder);
    }
#endif
}
