// What the run over the list tells and asks the user, by meaning only: the
// widgets side words each one and shows it. The run calls each inside its own
// guarded step, so an error report names the same step as always.
#pragma once

#include "engine/batchrun/runreport.h"
#include "engine/batchrun/undostore.h"

#include <QList>
#include <QString>
#include <QStringList>

// How a run ended, for its closing box.
struct RunEnding {
    const RunReport& report;
    bool stopped = false;
    QString reportFile; // where the report was saved, or empty
    QString reportProblem; // why it could not be saved
    QString undoProblem; // why a run that wrote has no way back
    bool undoable = false; // the run wrote and can be undone
};

class BatchRunBoxes {
public:
    // Why a run did not start or stopped before its first file.
    enum class Refusal {
        NoFiles,
        OutputFolderMissing,
        OutputFolderUnwritable, // detail: the folder, and the problem
        LineCountsDiffer,
        NothingToFind,
    };

    virtual ~BatchRunBoxes() = default;

    virtual void refuse(Refusal refusal, const QString& folder = {}, const QString& problem = {}) = 0;
    // True when the user wants the run stopped now.
    virtual bool confirmStop() = 0;
    virtual void runEnded(const RunEnding& ending) = 0;

    // Ctrl+Z found nothing it may undo; `recovered` says what it finished of
    // a run whose program had stopped.
    virtual void nothingToUndo(const UndoStore::Candidate& candidate, const QStringList& recovered) = 0;
    // True when the user wants `files` files put back.
    virtual bool confirmUndo(int files) = 0;
    virtual void undone(const QList<UndoOutcome>& outcomes, const QStringList& recovered) = 0;
    // At the start: what was finished of runs whose program had stopped.
    virtual void recovered(const QStringList& lines) = 0;
};
