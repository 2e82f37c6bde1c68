#include "engine/batchrun/batchrun.h"

#include "base/appinfo.h"
#include "base/statefolder.h"
#include "engine/batchrun/filetests.h"

#include <QDir>
#include <QScopedValueRollback>

namespace {

QString plainPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString filesText(qint64 n)
{
    return groupedNumber(n) + (n == 1 ? QStringLiteral(" file") : QStringLiteral(" files"));
}

QString undoLine(const UndoOutcome& outcome)
{
    switch (outcome.kind) {
    case UndoOutcome::Restored: return QStringLiteral("restored: ") + plainPath(outcome.target);
    case UndoOutcome::Removed: return QStringLiteral("removed: ") + plainPath(outcome.target);
    case UndoOutcome::ChangedSince:
        return QStringLiteral("not touched, ") + outcome.reason + QStringLiteral(": ") + plainPath(outcome.target);
    case UndoOutcome::Failed:
        return QStringLiteral("failed, ") + outcome.reason + QStringLiteral(": ") + plainPath(outcome.target);
    }
    return {};
}

} // namespace

BatchRun::BatchRun(BatchRunWindow& window, WindowServices& services, ReplaceEntries entries,
                   BatchRunOptions options)
    : m_window(window),
      m_services(services),
      m_entries(std::move(entries)),
      m_options(std::move(options)),
      m_undo(m_options.stateFolder + QStringLiteral("/undo"))
{
}

BatchRunOptions BatchRun::defaultOptions()
{
    BatchRunOptions options;
    options.stateFolder = stateFolder();
    return options;
}

QString BatchRun::progressCaption(const QString& caption, int row, int rows, int percent)
{
    QString text = (caption.isEmpty() ? AppInfo::productName : caption) + QStringLiteral(" - ") + groupedNumber(row)
        + QStringLiteral(" of ") + groupedNumber(rows) + QStringLiteral(" files");
    if (percent >= 0)
        text += QStringLiteral(" (") + QString::number(percent) + QStringLiteral("%)");
    return text;
}

void BatchRun::PushButton12_Click()
{
    start(false);
}

void BatchRun::countMatches()
{
    start(true);
}

void BatchRun::start(bool countOnly)
{
    GuardedProcedure proc(m_services.reporter, errorLocation(QStringLiteral("Form1"), QStringLiteral("PushButton12_Click")));
    proc.reach(100);
    if (m_running)
        return;
    proc.reach(102);
    const QScopedValueRollback<bool> running(m_running, true);
    m_countOnly = countOnly;
    m_stopRequested = false;
    m_report = RunReport{};
    m_report.countOnly = countOnly;
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
    // A run that writes replaces the way back from the one before.
    QString undoProblem;
    m_undoReady = false;
    if (!m_countOnly) {
        try {
            m_undo.begin();
            m_undoReady = true;
        } catch (const Failure& failure) {
            undoProblem = failure.description();
        }
    }
    m_caption = m_window.caption();
    m_shownCaption.clear();
    m_rows = rows;
    EngineContext context{m_services.reporter, [this] { return m_window.destination(); },
                          [this] { m_services.yield(); }, [this] { return stopping(); }};
    context.keepAlive = [this] {
        if (m_services.keepAlive)
            m_services.keepAlive();
    };
    context.progress = [this](qint64 done, qint64 total) {
        if (total > 0 && m_fileTime.elapsed() >= m_options.percentAfterMs)
            showProgress(int(done * 100 / total));
    };
    if (m_undoReady)
        context.beforeReplace = [this](const QString& target, const QString& result) { m_undo.keep(target, result); };
    context.countOnly = m_countOnly;

    RowOutcome outcome = RowOutcome::Next;
    for (int row = 1; row <= rows; ++row) {
        const qsizetype recorded = m_report.rows.size();
        outcome = processRow(proc, row, context);
        if (outcome == RowOutcome::Next) {
            proc.reach(150);
            continue;
        }
        if (outcome == RowOutcome::Closing)
            recordRowsNotReached(m_report.rows.size() > recorded ? row + 1 : row, rows);
        stopped = outcome != RowOutcome::RowGone;
        break;
    }

    proc.step(152, [&] { m_services.pointer.set(WindowPointer::Default); });
    if (!m_shownCaption.isEmpty())
        m_window.setCaption(m_caption);
    proc.reach(154);
    if (outcome == RowOutcome::InputRefused)
        return;

    QStringList closing;
    try {
        const QString report = writeRunReport(m_options.stateFolder + QStringLiteral("/runs"), m_report,
                                              QDateTime::currentDateTime());
        closing.append(QStringLiteral("This report is saved as ") + plainPath(report));
    } catch (const Failure& failure) {
        closing.append(QStringLiteral("This report could not be saved: ") + failure.description());
    }
    // Closing the window ends the program at once: the report is kept, nothing is shown.
    if (m_window.closing())
        return;
    if (!m_countOnly) {
        if (!m_undoReady)
            closing.append(QStringLiteral("Undo is not available for this run: ") + undoProblem);
        else if (!m_undo.isEmpty())
            closing.append(QStringLiteral("Ctrl+Z undoes this run."));
    }
    const QString text = stopped ? QStringLiteral("Stopped.") : QStringLiteral("Done.");
    proc.step(156, [&] { m_services.prompts.message(text, detailsText(m_report, closing)); });
}

BatchRun::RowOutcome BatchRun::processRow(GuardedProcedure& proc, int row, EngineContext& context)
{
    proc.step(112, [&] { m_services.yield(); });
    if (stopping())
        return RowOutcome::Closing;
    proc.step(114, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    QString path;
    // Rows removed during the run leave the last rows missing; every later
    // row is missing too, so one report is enough.
    if (!proc.step(116, [&] { path = m_window.rowText(row); }))
        return RowOutcome::RowGone;
    m_row = row;
    showProgress(-1);
    m_fileTime.start();

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
        if (FileSize2(path) >= 1) {
            FileOutcome outcome;
            if (!proc.step(144, [&] { outcome = m_entries.single(path, findWhat, replaceWith, context); }))
                outcome = {FileOutcome::Failed, 0, proc.lastFailure()};
            record(path, outcome);
        } else {
            record(path, {FileOutcome::Skipped, 0, skipReason(path)});
        }
    } else {
        proc.reach(146);
        if (tab == 1) {
            FileOutcome outcome;
            if (!proc.step(148, [&] {
                    outcome = m_entries.sets(path, m_window.findList(), m_window.replaceList(), context);
                }))
                outcome = {FileOutcome::Failed, 0, proc.lastFailure()};
            record(path, outcome);
        } else {
            record(path, {FileOutcome::Skipped, 0, QStringLiteral("no tab is open")});
        }
    }
    return stopping() ? RowOutcome::Closing : RowOutcome::Next;
}

void BatchRun::record(const QString& path, FileOutcome outcome)
{
    m_report.rows.append({plainPath(path), std::move(outcome)});
}

void BatchRun::recordRowsNotReached(int from, int to)
{
    for (int row = from; row <= to; ++row) {
        try {
            record(m_window.rowText(row), {});
        } catch (const Failure&) {
            return; // the rows from here on are gone from the list
        }
    }
}

void BatchRun::showProgress(int percent)
{
    const QString caption = progressCaption(m_caption, m_row, m_rows, percent);
    if (caption == m_shownCaption)
        return;
    m_shownCaption = caption;
    m_window.setCaption(caption);
}

void BatchRun::askToStop()
{
    if (!m_running || m_asking || m_stopRequested)
        return;
    const QScopedValueRollback<bool> asking(m_asking, true);
    if (m_services.prompts.message(QStringLiteral("Stop replacing?"), StyleYesNo | StyleQuestion) == Answer::Yes)
        m_stopRequested = true;
}

void BatchRun::undoLastRun()
{
    GuardedProcedure proc(m_services.reporter, errorLocation(QStringLiteral("Form1"), QStringLiteral("UndoLastRun")));
    if (m_running)
        return;
    const int files = m_undo.fileCount();
    if (files == 0) {
        proc.step(100, [&] { m_services.prompts.message(QStringLiteral("There is no run to undo.")); });
        return;
    }
    Answer answer = Answer::No;
    proc.step(102, [&] {
        answer = m_services.prompts.message(QStringLiteral("Undo the last run? ") + filesText(files)
                                                + QStringLiteral(" will be restored."),
                                            StyleYesNo | StyleQuestion);
    });
    if (answer != Answer::Yes)
        return;
    const QScopedValueRollback<bool> running(m_running, true);
    m_services.pointer.set(WindowPointer::Hourglass);
    QList<UndoOutcome> outcomes;
    proc.step(104, [&] { outcomes = m_undo.undo(); });
    m_services.pointer.set(WindowPointer::Default);
    QStringList lines;
    int left = 0;
    for (const UndoOutcome& outcome : outcomes) {
        lines.append(undoLine(outcome));
        if (outcome.kind == UndoOutcome::ChangedSince || outcome.kind == UndoOutcome::Failed)
            ++left;
    }
    const QString text = left == 0 ? QStringLiteral("The last run is undone.")
                                   : QStringLiteral("The last run is undone, except for ") + filesText(left)
            + QStringLiteral(" (see the details).");
    proc.step(106, [&] { m_services.prompts.message(text, lines.join(QLatin1Char('\n'))); });
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
