#include "engine/replace/filesahead.h"

#include "base/errorreport.h"
#include "base/failure.h"
#include "base/headlessprompts.h"
#include "engine/replace/replacetext.h"
#include "engine/textfile/sourcefile.h"

#include <system_error>

FilesAhead::FilesAhead(Limits limits) : m_limits(limits)
{
    try {
        for (int t = 0; t < m_limits.threads; ++t)
            m_threads.emplace_back([this] { serve(); });
    } catch (const std::system_error&) {
        // Fewer threads, or none: then nothing is taken ahead.
    }
}

FilesAhead::~FilesAhead()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool FilesAhead::hasRoom() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return !m_threads.empty() && int(m_jobs.size()) < m_limits.files;
}

void FilesAhead::add(int row, Work work)
{
    auto job = std::make_shared<Job>();
    job->row = row;
    job->work = std::move(work);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_changed.notify_all();
}

std::optional<PreparedResult> FilesAhead::take(int row, const Work& work, bool waitForAll)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_jobs.empty() && m_jobs.front()->row < row) {
        m_jobs.front()->state = Job::State::Dropped;
        m_jobs.pop_front();
    }
    if (m_jobs.empty() || m_jobs.front()->row != row)
        return std::nullopt;
    // Only this owner takes jobs off the front: it stays where the threads find it.
    const std::shared_ptr<Job> job = m_jobs.front();
    if (job->state == Job::State::Making || (waitForAll && job->state == Job::State::Waiting))
        m_changed.wait(lock, [&] { return job->state == Job::State::Made; });
    m_jobs.pop_front();
    const bool usable = job->state == Job::State::Made && job->work == work;
    job->state = Job::State::Dropped;
    lock.unlock();
    // Room for one more.
    m_changed.notify_all();
    if (!usable)
        return std::nullopt;
    return std::move(job->result);
}

void FilesAhead::serve()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        std::shared_ptr<Job> job;
        m_changed.wait(lock, [&] {
            if (m_quit)
                return true;
            for (const std::shared_ptr<Job>& waiting : m_jobs) {
                if (waiting->state == Job::State::Waiting) {
                    job = waiting;
                    return true;
                }
            }
            return false;
        });
        if (m_quit)
            return;
        job->state = Job::State::Making;
        lock.unlock();
        std::optional<PreparedResult> result = make(job->work);
        lock.lock();
        if (job->state == Job::State::Making) {
            job->result = std::move(result);
            job->state = Job::State::Made;
            ++m_made;
        }
        m_changed.notify_all();
    }
}

std::optional<PreparedResult> FilesAhead::make(const Work& work)
{
    // Whatever would be told is told again when the run reaches the file.
    bool failed = false;
    HeadlessPrompts quiet([&failed](const QString&) { failed = true; });
    ErrorReporter reporter(quiet);
    EngineContext context{reporter};
    context.chunkSize = 1 << 18;
    context.control.stopRequested = [this] { return m_quit.load(); };
    PreparedResult result;
    context.output.keepResult = &result.bytes;
    // Replacements longer than their finds could make the result far longer than its file.
    context.output.keepResultLimit = 2 * m_limits.fileBytes;
    // Only the source's encoding matters to a result kept in memory.
    context.output.destination = [] { return Destination{false, true, {}}; };
    context.openSource = [&](const QString& path) {
        auto source = std::make_unique<SourceFile>(path);
        if (source->size() > m_limits.fileBytes)
            throw Failure(QStringLiteral("too long to hold ahead"));
        result.identity = source->identity();
        return source;
    };
    FileOutcome outcome;
    try {
        if (work.tab == 0 && work.finds.size() == 1 && work.replaces.size() == 1)
            outcome = ReplaceTextInFile(work.path, work.finds.first(), work.replaces.first(), context);
        else if (work.tab == 1)
            outcome = ReplaceTextInFileCombo(work.path, work.finds, work.replaces, context);
        else
            return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    if (failed || m_quit || !result.identity.exists
        || (outcome.kind != FileOutcome::Changed && outcome.kind != FileOutcome::Unchanged))
        return std::nullopt;
    result.replacements = outcome.replacements;
    return result;
}
