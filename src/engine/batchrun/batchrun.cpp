#include "engine/batchrun/batchrun.h"

#include "base/appinfo.h"
#include "base/folderprobes.h"
#include "base/statefolder.h"
#include "engine/output/commitqueue.h"
#include "engine/output/targetclaims.h"
#include "engine/textfile/sourceprobes.h"
#include "engine/textfile/sparetemporaries.h"

#include <QDir>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <utility>

namespace {

QString plainPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

BatchRun::BatchRun(BatchRunWindow& window, WindowServices& services, BatchRunBoxes& boxes, ReplaceEntries entries,
    BatchRunOptions options)
    : m_window(window),
      m_boxes(boxes),
      m_services(services),
      m_entries(std::move(entries)),
      m_options(std::move(options)),
      m_undo(m_options.stateFolder)
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
    start(Mode::Replace);
}

void BatchRun::countMatches()
{
    start(Mode::Count);
}

void BatchRun::start(Mode mode)
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton12_Click"));
    if (m_running)
        return;
    const QScopedValueRollback<bool> running(m_running, true);
    m_mode = mode;
    // A review writes nothing, as a count does.
    const bool countOnly = mode != Mode::Replace;
    m_countOnly = countOnly;
    m_stopRequested = false;
    m_report = RunReport{};
    m_listedRows.clear();
    m_report.countOnly = countOnly;
    run(proc);
}

// Labels of the steps below, as error reports give them.
namespace runStep {
constexpr int pointerBack = 152, done = 156, outputFolderMissing = 158, noFiles = 160, outputFolderUnwritable = 164;
}

void BatchRun::run(GuardedProcedure& proc)
{
    bool stopped = false;
    if (rowCount() == 0) {
        say(proc, runStep::noFiles, BatchRunBoxes::Refusal::NoFiles);
        return;
    }
    const Destination destination = m_window.destination();
    if (!destination.option2 && !FolderExists(destination.outputFolder)) {
        say(proc, runStep::outputFolderMissing, BatchRunBoxes::Refusal::OutputFolderMissing);
        return;
    }
    // Found here, not once per file after the run has started; a count writes
    // nothing, and a review refuses what the run it stands for would refuse.
    if (!destination.option2 && m_mode != Mode::Count) {
        const QString problem = folderWriteProblem(destination.outputFolder);
        if (!problem.isEmpty()) {
            say(proc, runStep::outputFolderUnwritable, BatchRunBoxes::Refusal::OutputFolderUnwritable,
                destination.outputFolder, problem);
            return;
        }
    }

    const int rows = rowCount();
    // A run that writes keeps its own way back, beside those of the runs before.
    QString undoProblem;
    OldFileKeeper* keeper = nullptr;
    if (!m_countOnly) {
        try {
            keeper = &m_undo.begin();
        } catch (const Failure& failure) {
            undoProblem = failure.description();
        }
    }
    m_caption = m_window.caption();
    m_shownCaption.clear();
    m_rows = rows;
    // The list as it stands: no result of this run may replace one of its files.
    TargetClaims claims;
    for (int row = 1; row <= m_window.rowCount(); ++row) {
        try {
            claims.addSource(m_window.rowText(row));
        } catch (const Failure&) {
        }
    }
    EngineContext context{m_services.reporter};
    context.control.yield = [this] { m_services.yield(); };
    context.control.stopRequested = [this] { return stopping(); };
    context.control.keepAlive = [this] {
        if (m_services.keepAlive)
            m_services.keepAlive();
    };
    context.control.progress = [this](qint64 done, qint64 total) {
        if (total > 0 && m_fileTime.elapsed() >= m_options.percentAfterMs)
            showProgress(int(done * 100 / total));
    };
    context.output.destination = [this] { return m_window.destination(); };
    context.output.keeper = keeper;
    context.output.countOnly = m_mode == Mode::Count;
    context.output.review = m_mode == Mode::Review ? &m_recorder : nullptr;
    if (m_reviewedFiles)
        context.sourceRefusal = [this](const ByteSource& source) { return reviewedRefusal(source); };
    context.output.claims = &claims;
    // Results in place are committed in groups; a failed commit turns its
    // row, recorded by then, into a failure.
    CommitQueue commits([this](qsizetype row, const QString& reason) {
        if (row < m_report.rows.size())
            m_report.rows[row].outcome = {FileOutcome::Failed, 0, reason};
    });
    context.output.commits = &commits;
    std::optional<SpareTemporaries> spares(std::in_place);
    context.output.spares = &*spares;

    // The run's way back is complete once its results are in place, however the run ends.
    bool undoable = false;
    const auto endUndo = qScopeGuard([&] {
        if (keeper)
            undoable = m_undo.end();
    });
    // Made before the commits and the undo are ended, gone before they are.
    std::optional<FilesAhead> ahead;
    if (m_mode == Mode::Replace && m_options.workAhead && entriesAreTheEngines())
        ahead.emplace();
    m_ahead = ahead ? &*ahead : nullptr;
    m_aheadRow = 0;
    m_takenAhead = 0;
    const auto endAhead = qScopeGuard([&] {
        m_ahead = nullptr;
        ahead.reset();
    });
    RowOutcome outcome = RowOutcome::Next;
    for (int row = 1; row <= rows; ++row) {
        workAheadOf(row);
        const qsizetype recorded = m_report.rows.size();
        context.output.commitTag = recorded;
        outcome = processRow(proc, row, context);
        if (commits.isFull())
            commits.send(context.control.keepAlive);
        if (outcome == RowOutcome::Next) {
            continue;
        }
        if (outcome == RowOutcome::Closing)
            recordRowsNotReached(m_report.rows.size() > recorded ? row + 1 : row, rows);
        stopped = outcome != RowOutcome::RowGone;
        break;
    }
    m_ahead = nullptr;
    ahead.reset();
    // Whatever was finished takes its place before the run says it has ended.
    commits.flush(context.control.keepAlive);
    // None of them is left behind while the closing box waits.
    context.output.spares = nullptr;
    spares.reset();
    if (keeper)
        undoable = m_undo.end();
    keeper = nullptr;

    proc.step(runStep::pointerBack, [&] { m_services.pointer.set(WindowPointer::Default); });
    if (!m_shownCaption.isEmpty())
        m_window.setCaption(m_caption);
    if (outcome == RowOutcome::InputRefused) {
        m_review.refused = true;
        return;
    }
    // A review is shown by its own window, not in a box, and kept nowhere.
    if (m_mode == Mode::Review) {
        m_review.stopped = stopped;
        return;
    }

    RunEnding ending{m_report, stopped};
    try {
        ending.reportFile = writeRunReport(m_options.stateFolder, m_report, QDateTime::currentDateTime());
    } catch (const Failure& failure) {
        ending.reportProblem = failure.description();
    }
    // Closing the window ends the program at once: the report is kept, nothing is shown.
    if (m_services.isClosing())
        return;
    ending.undoProblem = undoProblem;
    ending.undoable = undoable;
    proc.step(runStep::done, [&] { m_boxes.runEnded(ending); });
}

// Labels of the steps below, as error reports give them.
namespace rowStep {
constexpr int yield = 112, hourglass = 114, rowText = 116, findWhat = 120, replaceWith = 122, single = 144, sets = 148;
}

BatchRun::RowOutcome BatchRun::processRow(GuardedProcedure& proc, int row, EngineContext& context)
{
    proc.step(rowStep::yield, [&] { m_services.yield(); });
    if (stopping())
        return RowOutcome::Closing;
    proc.step(rowStep::hourglass, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    QString path;
    // Rows removed during the run leave the last rows missing; every later
    // row is missing too, so one report is enough.
    if (!proc.step(rowStep::rowText, [&] { path = rowText(row); }))
        return RowOutcome::RowGone;
    m_row = row;
    showProgress(-1);
    m_fileTime.start();

    // A file listed twice is worked on once: again it would only meet its own result.
    const QStringList keys = fileKeys(path);
    for (const QString& key : keys) {
        if (const int first = m_listedRows.value(key)) {
            const QString reason = QStringLiteral("listed before (row %1)").arg(first);
            // A review tells it ahead as what the user asked would not happen.
            m_listedTwice = reason;
            record(path, {FileOutcome::Skipped, 0, reason});
            return stopping() ? RowOutcome::Closing : RowOutcome::Next;
        }
    }
    // The report names the row as the window's list has it.
    const int listRow
        = m_reviewedFiles && m_reviewedFiles->at(row - 1).listRow > 0 ? m_reviewedFiles->at(row - 1).listRow : row;
    for (const QString& key : keys)
        m_listedRows.insert(key, listRow);

    const int tab = m_window.selectedTab();
    if (tab == 0) {
        QString findWhat;
        QString replaceWith;
        proc.step(rowStep::findWhat, [&] { findWhat = m_window.findWhat(); });
        proc.step(rowStep::replaceWith, [&] { replaceWith = m_window.replaceWith(); });
        if (!pairTextsAccepted(proc, findWhat, replaceWith))
            return RowOutcome::InputRefused;
        // An empty file, a folder, or a file that can't be opened is skipped.
        if (FileSize2(path) >= 1) {
            FileOutcome outcome;
            std::optional<PreparedResult> prepared = preparedFor(row, {path, 0, {findWhat}, {replaceWith}});
            context.prepared = prepared ? &*prepared : nullptr;
            const auto forget = qScopeGuard([&] { forgetPrepared(context); });
            if (!proc.step(rowStep::single, [&] { outcome = m_entries.single(path, findWhat, replaceWith, context); }))
                outcome = {FileOutcome::Failed, 0, proc.lastFailure()};
            record(path, outcome);
        } else {
            record(path, {FileOutcome::Skipped, 0, skipReason(path)});
        }
    } else {
        if (tab == 1) {
            FileOutcome outcome;
            std::optional<PreparedResult> prepared;
            const auto forget = qScopeGuard([&] { forgetPrepared(context); });
            if (!proc.step(rowStep::sets, [&] {
                    const QStringList finds = m_window.findList();
                    const QStringList replaces = m_window.replaceList();
                    prepared = preparedFor(row, {path, 1, finds, replaces});
                    context.prepared = prepared ? &*prepared : nullptr;
                    outcome = m_entries.sets(path, finds, replaces, context);
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
    if (m_mode == Mode::Review) {
        ReviewedRow row{path, outcome, false, {}};
        row.reviewed = m_recorder.take(row.review);
        if (!m_listedTwice.isEmpty())
            row.review.problem = std::exchange(m_listedTwice, QString());
        m_review.rows.append(std::move(row));
    }
    m_report.rows.append({plainPath(path), std::move(outcome)});
}

void BatchRun::recordRowsNotReached(int from, int to)
{
    for (int row = from; row <= to; ++row) {
        try {
            record(rowText(row), {});
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
    if (m_boxes.confirmStop())
        m_stopRequested = true;
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
                BatchRunBoxes::Refusal::LineCountsDiffer);
            return false;
        }
        return true;
    }
    if (findWhat.isEmpty()) {
        refuse(proc, pairTextsStep::findPointer, pairTextsStep::nothingToFind, BatchRunBoxes::Refusal::NothingToFind);
        return false;
    }
    return true;
}

// Pointer back first, then the message, then the stop.
void BatchRun::refuse(GuardedProcedure& proc, int pointerLabel, int messageLabel, BatchRunBoxes::Refusal refusal)
{
    proc.step(pointerLabel, [&] { m_services.pointer.set(WindowPointer::Default); });
    say(proc, messageLabel, refusal);
}

void BatchRun::say(
    GuardedProcedure& proc, int label, BatchRunBoxes::Refusal refusal, const QString& folder, const QString& problem)
{
    proc.step(label, [&] { m_boxes.refuse(refusal, folder, problem); });
}
