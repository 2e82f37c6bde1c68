#include "base/failure.h"
#include "engine/batchrun/batchrun.h"

#include <exception>

namespace {

using SingleEntry = FileOutcome (*)(const QString&, const QString&, const QString&, EngineContext&);
using SetsEntry = FileOutcome (*)(const QString&, const QStringList&, const QStringList&, EngineContext&);

} // namespace

// Entries that tests put in their place may count calls or wait on the
// window: only the engine's own may run on another thread.
bool BatchRun::entriesAreTheEngines() const
{
    const SingleEntry* single = m_entries.single.target<SingleEntry>();
    const SetsEntry* sets = m_entries.sets.target<SetsEntry>();
    return single && *single == &ReplaceTextInFile && sets && *sets == &ReplaceTextInFileCombo;
}

void BatchRun::workAheadOf(int row)
{
    if (!m_ahead || !m_ahead->hasRoom())
        return;
    // The pairs as they stand now; a row whose pairs differ when it is
    // reached is worked on afresh.
    FilesAhead::Work work;
    work.tab = m_window.selectedTab();
    try {
        if (work.tab == 0) {
            work.finds = QStringList{m_window.findWhat()};
            work.replaces = QStringList{m_window.replaceWith()};
        } else if (work.tab == 1) {
            work.finds = m_window.findList();
            work.replaces = m_window.replaceList();
        } else {
            return;
        }
    } catch (const Failure&) {
        return;
    }
    for (int next = std::max(m_aheadRow, row) + 1; next <= m_rows && m_ahead->hasRoom(); ++next) {
        try {
            work.path = rowText(next);
            m_ahead->add(next, work);
        } catch (const Failure&) {
            return; // that row is gone: the run will say so when it gets there
        } catch (const std::exception&) {
            return; // no memory to spare: the run goes on one file after another
        }
        m_aheadRow = next;
    }
}

std::optional<PreparedResult> BatchRun::preparedFor(int row, FilesAhead::Work work)
{
    if (!m_ahead)
        return std::nullopt;
    try {
        return m_ahead->take(row, work, m_options.waitForFilesAhead);
    } catch (const std::exception&) {
        return std::nullopt; // the file is worked on here, as always
    }
}

void BatchRun::forgetPrepared(EngineContext& context)
{
    if (context.prepared && context.prepared->taken)
        ++m_takenAhead;
    context.prepared = nullptr;
}
