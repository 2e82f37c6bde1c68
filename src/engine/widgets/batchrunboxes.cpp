#include "engine/widgets/batchrunboxes.h"

#include "base/prompts.h"

#include <QDir>

namespace {

QString plainPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString undoLine(const UndoOutcome& outcome)
{
    QString line;
    switch (outcome.kind) {
    case UndoOutcome::Restored: line = QStringLiteral("restored"); break;
    case UndoOutcome::Removed: line = QStringLiteral("removed"); break;
    case UndoOutcome::ChangedSince: line = QStringLiteral("not touched"); break;
    case UndoOutcome::Failed: line = QStringLiteral("failed"); break;
    }
    if (!outcome.reason.isEmpty())
        line += QStringLiteral(", ") + outcome.reason;
    line += QStringLiteral(": ") + plainPath(outcome.target);
    // Where the old content of a file left alone stays.
    if (!outcome.keptAs.isEmpty())
        line += keptAsText(outcome.keptAs);
    return line;
}

} // namespace

void PromptedBatchRunBoxes::refuse(Refusal refusal, const QString& folder, const QString& problem)
{
    QString text;
    switch (refusal) {
    case Refusal::NoFiles: text = QStringLiteral("No files added."); break;
    case Refusal::OutputFolderMissing:
        text = QStringLiteral("Folder does not exist. Please select another folder.");
        break;
    case Refusal::OutputFolderUnwritable:
        text = QStringLiteral("Folder ") + plainPath(folder) + QStringLiteral(" cannot be written to (") + problem
            + QStringLiteral("). Please select another folder.");
        break;
    case Refusal::LineCountsDiffer:
        text = QStringLiteral("The number of lines of Find What and Replace With must be the same.");
        break;
    case Refusal::NothingToFind: text = QStringLiteral("You forgot to input find what."); break;
    }
    m_prompts.message(text);
}

bool PromptedBatchRunBoxes::confirmStop()
{
    return m_prompts.message(QStringLiteral("Stop replacing?"), StyleYesNo | StyleQuestion) == Answer::Yes;
}

void PromptedBatchRunBoxes::runEnded(const RunEnding& ending)
{
    QStringList closing;
    if (!ending.reportFile.isEmpty())
        closing.append(QStringLiteral("This report is saved as ") + plainPath(ending.reportFile));
    else
        closing.append(QStringLiteral("This report could not be saved: ") + ending.reportProblem);
    if (!ending.report.countOnly) {
        if (!ending.undoProblem.isEmpty())
            closing.append(QStringLiteral("Undo is not available for this run: ") + ending.undoProblem);
        else if (ending.undoable)
            closing.append(QStringLiteral("Ctrl+Z undoes this run."));
    }
    const QString text = ending.stopped ? QStringLiteral("Stopped.") : QStringLiteral("Done.");
    m_prompts.report(text, detailsText(ending.report, closing), QStringLiteral("Run report"));
}

void PromptedBatchRunBoxes::nothingToUndo(const UndoStore::Candidate& candidate, const QStringList& recovered)
{
    QString text = QStringLiteral("There is no run to undo.");
    if (candidate.state == UndoStore::Candidate::RunningElsewhere)
        text = QStringLiteral("The last run is still going on in another window.");
    else if (candidate.state == UndoStore::Candidate::HeldElsewhere)
        text = QStringLiteral("The last run was made in another window that is still open: undo it there.");
    else if (candidate.state == UndoStore::Candidate::Unavailable)
        text = QStringLiteral("Undo is not available: ") + candidate.problem;
    m_prompts.message(text, recovered.join(QLatin1Char('\n')));
}

bool PromptedBatchRunBoxes::confirmUndo(int files)
{
    return m_prompts.message(QStringLiteral("Undo the last run? ") + plural(files, "file", "files")
                   + QStringLiteral(" will be restored."),
               StyleYesNo | StyleQuestion)
        == Answer::Yes;
}

void PromptedBatchRunBoxes::undone(const QList<UndoOutcome>& outcomes, const QStringList& recovered)
{
    // The files left as they are come first: they are what the user must see.
    QStringList lines = recovered;
    QStringList putBack;
    int left = 0;
    for (const UndoOutcome& outcome : outcomes) {
        if (outcome.kind == UndoOutcome::ChangedSince || outcome.kind == UndoOutcome::Failed) {
            lines.append(undoLine(outcome));
            ++left;
        } else {
            putBack.append(undoLine(outcome));
        }
    }
    lines += putBack;
    const QString text = left == 0 ? QStringLiteral("The last run is undone.")
                                   : QStringLiteral("The last run is undone, except for ")
            + plural(left, "file", "files") + QStringLiteral(" (see the details).");
    m_prompts.message(text, lines.join(QLatin1Char('\n')));
}

void PromptedBatchRunBoxes::recovered(const QStringList& lines)
{
    m_prompts.message(lines.join(QLatin1Char('\n')));
}
