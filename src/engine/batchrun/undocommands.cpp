// Ctrl+Z and the start's recovery: the batch run's way back, asked and told
// through its boxes.
#include "engine/batchrun/batchrun.h"

#include <QScopedValueRollback>

// Labels of the steps below, as error reports give them.
namespace undoStep {
constexpr int nothingToUndo = 100, ask = 102, putBack = 104, undone = 106;
}

void BatchRun::undoLastRun()
{
    GuardedProcedure proc(m_services.reporter, form1Location("UndoLastRun"));
    if (m_running)
        return;
    const UndoStore::Candidate candidate = m_undo.findCandidate();
    const QStringList recovered = m_undo.takeRecovered();
    if (candidate.state != UndoStore::Candidate::Ready) {
        proc.step(undoStep::nothingToUndo, [&] { m_boxes.nothingToUndo(candidate, recovered); });
        return;
    }
    bool yes = false;
    proc.step(undoStep::ask, [&] { yes = m_boxes.confirmUndo(candidate.files); });
    if (!yes) {
        m_undo.dropCandidate();
        return;
    }
    const QScopedValueRollback<bool> running(m_running, true);
    m_services.pointer.set(WindowPointer::Hourglass);
    QList<UndoOutcome> outcomes;
    proc.step(undoStep::putBack, [&] { outcomes = m_undo.undoCandidate(); });
    m_services.pointer.set(WindowPointer::Default);
    proc.step(undoStep::undone, [&] { m_boxes.undone(outcomes, recovered); });
}

// Labels of the steps below, as error reports give them.
namespace recoverStep {
constexpr int finish = 100, tell = 102;
}

void BatchRun::recoverAtStart()
{
    GuardedProcedure proc(m_services.reporter, form1Location("RecoverAtStart"));
    QStringList lines;
    proc.step(recoverStep::finish, [&] { lines = m_undo.recoverAtStart(); });
    if (!lines.isEmpty())
        proc.step(recoverStep::tell, [&] { m_boxes.recovered(lines); });
}
