#include "engine/batchrun/batchrun.h"

#include "engine/batchrun/filetests.h"
#include "engine/replace/targetclaims.h"

#include <QScopedValueRollback>

BatchRun::BatchRun(BatchRunWindow& window, WindowServices& services, ReplaceEntries entries)
    : m_window(window), m_services(services), m_entries(std::move(entries))
{
}

void BatchRun::PushButton12_Click()
{
    GuardedProcedure proc(m_services.reporter, errorLocation(QStringLiteral("Form1"), QStringLiteral("PushButton12_Click")));
    proc.reach(100);
    if (m_running)
        return;
    proc.reach(102);
    const QScopedValueRollback<bool> running(m_running, true);
    run(proc);
    proc.reach(162);
}

void BatchRun::run(GuardedProcedure& proc)
{
    proc.reach(104);
    bool stopped = false;
    proc.reach(106);
    if (m_window.rowCount() == 0) {
        say(proc, 160, QStringLiteral("No files added."));
        return;
    }
    proc.reach(108);
    const Destination destination = m_window.destination();
    if (!destination.option2 && !FolderExists(destination.outputFolder)) {
        say(proc, 158, QStringLiteral("Folder does not exist. Please select another folder."));
        return;
    }

    proc.reach(110);
    const int rows = m_window.rowCount();
    // The list as it stands: no result of this run may replace one of its files.
    TargetClaims claims;
    for (int row = 1; row <= rows; ++row) {
        try {
            claims.addSource(m_window.rowText(row));
        } catch (const Failure&) {
        }
    }
    EngineContext context{m_services.reporter, [this] { return m_window.destination(); },
                          [this] { m_services.yield(); }, [this] { return m_window.closing(); }};
    context.claims = &claims;
    for (int row = 1; row <= rows; ++row) {
        const RowOutcome outcome = processRow(proc, row, context);
        if (outcome == RowOutcome::Next) {
            proc.reach(150);
            continue;
        }
        stopped = outcome != RowOutcome::RowGone;
        break;
    }

    proc.step(152, [&] { m_services.pointer.set(WindowPointer::Default); });
    proc.reach(154);
    if (!stopped)
        say(proc, 156, QStringLiteral("Done."));
}

BatchRun::RowOutcome BatchRun::processRow(GuardedProcedure& proc, int row, EngineContext& context)
{
    proc.step(112, [&] { m_services.yield(); });
    if (m_window.closing())
        return RowOutcome::Closing;
    proc.step(114, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    QString path;
    // Rows removed during the run leave the last rows missing; every later
    // row is missing too, so one report is enough.
    if (!proc.step(116, [&] { path = m_window.rowText(row); }))
        return RowOutcome::RowGone;

    proc.reach(118);
    const int tab = m_window.selectedTab();
    if (tab == 0) {
        QString findWhat;
        QString replaceWith;
        proc.step(120, [&] { findWhat = m_window.findWhat(); });
        proc.step(122, [&] { replaceWith = m_window.replaceWith(); });
        if (!pairTextsAccepted(proc, findWhat, replaceWith))
            return RowOutcome::InputRefused;
        proc.reach(142);
        // An empty file, a folder, or a file that can't be opened is skipped.
        if (FileSize2(path) >= 1)
            proc.step(144, [&] { m_entries.single(path, findWhat, replaceWith, context); });
    } else {
        proc.reach(146);
        if (tab == 1) {
            proc.step(148, [&] {
                m_entries.sets(path, m_window.findList(), m_window.replaceList(), context);
            });
        }
    }
    return m_window.closing() ? RowOutcome::Closing : RowOutcome::Next;
}

bool BatchRun::pairTextsAccepted(GuardedProcedure& proc, const QString& findWhat, const QString& replaceWith)
{
    proc.reach(124);
    if (!replaceWith.isEmpty()) {
        proc.reach(126);
        // The same cutting as the engine's, so the check and the pairs agree.
        if (splitAtLineBreaks(findWhat).size() != splitAtLineBreaks(replaceWith).size()) {
            refuse(proc, 128, QStringLiteral("The number of lines of Find What and Replace With must be the same."));
            return false;
        }
        return true;
    }
    proc.reach(134);
    if (findWhat.isEmpty()) {
        refuse(proc, 136, QStringLiteral("You forgot to input find what."));
        return false;
    }
    return true;
}

// Pointer back first, then the message, then the stop.
void BatchRun::refuse(GuardedProcedure& proc, int label, const QString& text)
{
    proc.step(label, [&] { m_services.pointer.set(WindowPointer::Default); });
    say(proc, label + 2, text);
    proc.reach(label + 4);
}

void BatchRun::say(GuardedProcedure& proc, int label, const QString& text)
{
    proc.step(label, [&] { m_services.prompts.message(text); });
}
