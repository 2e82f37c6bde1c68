#include "engine/batchrun/batchrun.h"

#include "engine/batchrun/filetests.h"

#include <QScopedValueRollback>

BatchRun::BatchRun(BatchRunWindow& window, WindowServices& services, ReplaceEntries entries)
    : m_window(window), m_services(services), m_entries(std::move(entries))
{
}

void BatchRun::PushButton12_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton12_Click"));
    if (m_running)
        return;
    const QScopedValueRollback<bool> running(m_running, true);
    run(proc);
}

// Labels of the steps below, as error reports give them.
namespace runStep {
constexpr int pointerBack = 152, done = 156, outputFolderMissing = 158, noFiles = 160;
}

void BatchRun::run(GuardedProcedure& proc)
{
    bool stopped = false;
    if (m_window.rowCount() == 0) {
        say(proc, runStep::noFiles, QStringLiteral("No files added."));
        return;
    }
    const Destination destination = m_window.destination();
    if (!destination.option2 && !FolderExists(destination.outputFolder)) {
        say(proc, runStep::outputFolderMissing,
            QStringLiteral("Folder does not exist. Please select another folder."));
        return;
    }

    const int rows = m_window.rowCount();
    EngineContext context{m_services.reporter, [this] { return m_window.destination(); },
                          [this] { m_services.yield(); }, [this] { return m_services.isClosing(); }};
    for (int row = 1; row <= rows; ++row) {
        const RowOutcome outcome = processRow(proc, row, context);
        if (outcome == RowOutcome::Next) {
            continue;
        }
        stopped = outcome != RowOutcome::RowGone;
        break;
    }

    proc.step(runStep::pointerBack, [&] { m_services.pointer.set(WindowPointer::Default); });
    if (!stopped)
        say(proc, runStep::done, QStringLiteral("Done."));
}

// Labels of the steps below, as error reports give them.
namespace rowStep {
constexpr int yield = 112, hourglass = 114, rowText = 116, findWhat = 120, replaceWith = 122, single = 144,
              sets = 148;
}

BatchRun::RowOutcome BatchRun::processRow(GuardedProcedure& proc, int row, EngineContext& context)
{
    proc.step(rowStep::yield, [&] { m_services.yield(); });
    if (m_services.isClosing())
        return RowOutcome::Closing;
    proc.step(rowStep::hourglass, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    QString path;
    // Rows removed during the run leave the last rows missing; every later
    // row is missing too, so one report is enough.
    if (!proc.step(rowStep::rowText, [&] { path = m_window.rowText(row); }))
        return RowOutcome::RowGone;

    const int tab = m_window.selectedTab();
    if (tab == 0) {
        QString findWhat;
        QString replaceWith;
        proc.step(rowStep::findWhat, [&] { findWhat = m_window.findWhat(); });
        proc.step(rowStep::replaceWith, [&] { replaceWith = m_window.replaceWith(); });
        if (!pairTextsAccepted(proc, findWhat, replaceWith))
            return RowOutcome::InputRefused;
        // An empty file, a folder, or a file that can't be opened is skipped.
        if (FileSize2(path) >= 1)
            proc.step(rowStep::single, [&] { m_entries.single(path, findWhat, replaceWith, context); });
    } else {
        if (tab == 1) {
            proc.step(rowStep::sets, [&] {
                m_entries.sets(path, m_window.findList(), m_window.replaceList(), context);
            });
        }
    }
    return m_services.isClosing() ? RowOutcome::Closing : RowOutcome::Next;
}

// Labels of the steps below, as error reports give them.
namespace pairTextsStep {
constexpr int lineCountsPointer = 128, lineCountsDiffer = 130, findPointer = 136, nothingToFind = 138;
}

bool BatchRun::pairTextsAccepted(GuardedProcedure& proc, const QString& findWhat, const QString& replaceWith)
{
    if (!replaceWith.isEmpty()) {
        // The same cutting as the engine's, so the check and the pairs agree.
        if (splitAtLineBreaks(findWhat).size() != splitAtLineBreaks(replaceWith).size()) {
            refuse(proc, pairTextsStep::lineCountsPointer, pairTextsStep::lineCountsDiffer,
                   QStringLiteral("The number of lines of Find What and Replace With must be the same."));
            return false;
        }
        return true;
    }
    if (findWhat.isEmpty()) {
        refuse(proc, pairTextsStep::findPointer, pairTextsStep::nothingToFind,
               QStringLiteral("You forgot to input find what."));
        return false;
    }
    return true;
}

// Pointer back first, then the message, then the stop.
void BatchRun::refuse(GuardedProcedure& proc, int pointerLabel, int messageLabel, const QString& text)
{
    proc.step(pointerLabel, [&] { m_services.pointer.set(WindowPointer::Default); });
    say(proc, messageLabel, text);
}

void BatchRun::say(GuardedProcedure& proc, int label, const QString& text)
{
    proc.step(label, [&] { m_services.prompts.message(text); });
}
