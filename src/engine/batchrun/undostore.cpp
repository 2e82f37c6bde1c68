#include "engine/batchrun/undostore.h"

#include "engine/textfile/privatefolder.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QByteArray undoName = "undo";
const QByteArray droppedPrefix = "dropped-";
// What the program kept before it had a folder per run, set aside to be removed.
const QByteArray oldDroppedPrefix = "undo-dropped-";

// "20261208-111622-042-<pid>-<random>": made at that time (UTC).
bool isRunName(const QByteArray& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{8}-\\d{6}-\\d{3}-\\d+-[0-9a-z]+$"));
    return pattern.match(QString::fromLatin1(name)).hasMatch();
}

QDateTime runTime(const QByteArray& name)
{
    QDateTime time = QDateTime::fromString(QString::fromLatin1(name.left(19)), QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    time.setTimeSpec(Qt::UTC);
    return time;
}

} // namespace

UndoStore::UndoStore(QString stateFolder)
    : m_statePath(std::move(stateFolder)),
      m_undoPath(m_statePath + QStringLiteral("/undo"))
{
}

UndoStore::~UndoStore()
{
    waitForRelease();
}

void UndoStore::waitForRelease()
{
    if (m_release.joinable())
        m_release.join();
}

// Opened afresh each time: the folders above may have changed hands since.
int UndoStore::undoFolder()
{
    m_stateFolder = openPrivateFolder(m_statePath);
    m_undoFolder = openPrivateSubfolder(m_stateFolder.get(), undoName, m_undoPath);
    return m_undoFolder.get();
}

QList<QByteArray> UndoStore::runNames()
{
    QList<QByteArray> names = folderEntries(m_undoFolder.get());
    names.erase(std::remove_if(names.begin(), names.end(), [](const QByteArray& name) { return !isRunName(name); }),
        names.end());
    std::sort(names.begin(), names.end());
    return names;
}

OldFileKeeper& UndoStore::begin()
{
    waitForRelease();
    m_current = UndoRun::create(undoFolder(), m_undoPath);
    m_current->setLinking(m_linking);
    return *m_current;
}

bool UndoStore::end()
{
    if (!m_current)
        return false;
    if (m_current->keptNothing()) {
        // Removed while still locked, so that no other window takes it meanwhile.
        (void)removeTree(m_undoFolder.get(), m_current->name());
        m_current.reset();
        return false;
    }
    m_current->finish();
    m_own.push_back(std::move(m_current));
    dropOld(keptRuns, 0);
    return true;
}

// The oldest runs beyond `keep`, and those older than `olderThanDays` (when
// given), are set aside and removed on a thread of their own. A run another
// program holds, one not finished, and one with a torn file pending are kept.
void UndoStore::dropOld(int keep, qint64 olderThanDays)
{
    const QList<QByteArray> names = runNames();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const int folder = m_undoFolder.get();
    bool dropped = false;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray& name = names[i];
        const bool beyond = i < names.size() - keep;
        const bool old = olderThanDays > 0 && runTime(name).daysTo(now) > olderThanDays;
        if (!beyond && !old)
            continue;
        std::unique_ptr<UndoRun> run;
        const auto own = std::find_if(m_own.begin(), m_own.end(), [&](const auto& r) { return r->name() == name; });
        if (own != m_own.end()) {
            run = std::move(*own);
            m_own.erase(own);
        } else {
            run = UndoRun::claim(folder, name, m_undoPath);
        }
        if (!run)
            continue;
        const UndoRecord record = run->record();
        if (!record.finished || record.hasOpenJournal())
            continue;
#ifdef Q_OS_UNIX
        const QByteArray aside = droppedPrefix + name;
        dropped = ::renameat(folder, name.constData(), folder, aside.constData()) == 0 || dropped;
#endif
    }
    if (dropped)
        releaseDropped();
}

void UndoStore::releaseDropped()
{
    waitForRelease();
#ifdef Q_OS_UNIX
    FileHandle folder(::dup(m_undoFolder.get()));
    m_release = std::thread([folder = std::move(folder)] {
        for (const QByteArray& name : folderEntries(folder.get())) {
            if (name.startsWith(droppedPrefix))
                (void)removeTree(folder.get(), name);
        }
    });
#endif
}

UndoStore::Candidate UndoStore::findCandidate()
{
    m_candidate.reset();
    m_chosen = nullptr;
    for (auto it = m_own.rbegin(); it != m_own.rend(); ++it) {
        const int files = (*it)->record().undoableCount();
        if (files > 0) {
            m_chosen = it->get();
            return {Candidate::Ready, files, {}};
        }
    }
    int folder = -1;
    try {
        folder = undoFolder();
    } catch (const Failure& failure) {
        return {Candidate::Unavailable, 0, failure.description()};
    }
    QList<QByteArray> names = runNames();
    std::reverse(names.begin(), names.end());
    bool heldElsewhere = false;
    for (const QByteArray& name : names) {
        if (std::any_of(m_own.begin(), m_own.end(), [&](const auto& r) { return r->name() == name; }))
            continue;
        const UndoRecord record = UndoRun::peek(folder, name);
        if (!record.valid || (record.finished && record.undoableCount() == 0 && !record.hasOpenJournal()))
            continue;
        std::unique_ptr<UndoRun> run = UndoRun::claim(folder, name, m_undoPath);
        if (!run) {
            if (!record.finished)
                return {Candidate::RunningElsewhere, 0, {}};
            heldElsewhere = true; // another window's own
            continue;
        }
        // A program that stopped since this one started left it: finish it first.
        if (!record.finished || record.hasOpenJournal())
            m_recovered += run->recover();
        const int files = run->record().undoableCount();
        if (files == 0)
            continue;
        run->setLinking(m_linking);
        m_candidate = std::move(run);
        m_chosen = m_candidate.get();
        return {Candidate::Ready, files, {}};
    }
    if (heldElsewhere)
        return {Candidate::HeldElsewhere, 0, {}};
    return {};
}

NewerRestores UndoStore::restoresNewerThan(const QByteArray& name)
{
    NewerRestores newer;
    for (const QByteArray& other : runNames()) {
        if (other <= name)
            continue;
        for (const UndoEntry& entry : UndoRun::peek(m_undoFolder.get(), other).entries) {
            if (entry.undone == UndoEntry::Restored)
                newer.insert(entry.placeKey(), {entry.original, entry.restoredTo});
        }
    }
    return newer;
}

QList<UndoOutcome> UndoStore::undoCandidate()
{
    if (!m_chosen)
        return {};
    m_chosen->setCopyProgress(m_copyProgress);
    const QList<UndoOutcome> outcomes = m_chosen->undo(restoresNewerThan(m_chosen->name()));
    m_chosen = nullptr;
    m_candidate.reset();
    return outcomes;
}

void UndoStore::dropCandidate()
{
    m_chosen = nullptr;
    m_candidate.reset();
}

QStringList UndoStore::takeRecovered()
{
    QStringList lines;
    lines.swap(m_recovered);
    return lines;
}

QStringList UndoStore::recoverAtStart()
{
    QStringList lines;
    try {
        undoFolder();
    } catch (const Failure&) {
        return lines; // nothing of ours can be trusted there
    }
    const int folder = m_undoFolder.get();
    for (const QByteArray& name : runNames()) {
        const UndoRecord record = UndoRun::peek(folder, name);
        if (!record.valid || (record.finished && !record.hasOpenJournal()))
            continue;
        if (std::unique_ptr<UndoRun> run = UndoRun::claim(folder, name, m_undoPath))
            lines += run->recover();
    }
#ifdef Q_OS_UNIX
    // Set aside by an older version of the program, to be removed.
    for (const QByteArray& name : folderEntries(m_stateFolder.get())) {
        if (name.startsWith(oldDroppedPrefix))
            (void)removeTree(m_stateFolder.get(), name);
    }
#endif
    dropOld(keptRuns, keptDays);
    releaseDropped();
    return lines;
}
