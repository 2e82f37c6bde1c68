// The "Start Replacing" run over the file list: the input checks, one engine
// entry per row in the mode of the open tab, and the report of what became of
// every row. Also the run that only counts, the stop on request and the undo
// of the last run. It reads the main window only through BatchRunWindow and
// tells the user only through BatchRunBoxes, so it holds no widgets and no
// words of boxes; the window's "Start Replacing" button calls
// PushButton12_Click().
#pragma once

#include "base/windowservices.h"
#include "engine/batchrun/batchrunboxes.h"
#include "engine/batchrun/runreport.h"
#include "engine/batchrun/undostore.h"
#include "engine/output/filereview.h"
#include "engine/replace/filesahead.h"
#include "engine/replace/replacetext.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What the run reads from the main window, each time afresh.
class BatchRunWindow {
public:
    virtual ~BatchRunWindow() = default;

    virtual int rowCount() const = 0;
    // Row 1..rowCount(); throws Failure for a row that no longer exists.
    virtual QString rowText(int row) const = 0;
    // 0 "Single find and replace", 1 "Multiple find and replace (sets)".
    virtual int selectedTab() const = 0;
    // Find What and Replace With, lines separated by CR LF.
    virtual QString findWhat() const = 0;
    virtual QString replaceWith() const = 0;
    // The sets list: find texts and replace texts.
    virtual QStringList findList() const = 0;
    virtual QStringList replaceList() const = 0;
    virtual Destination destination() const = 0;
    // The window's caption, which shows the progress during a run.
    virtual QString caption() const { return {}; }
    virtual void setCaption(const QString&) { }
};

// The engine entries the run calls; tests put recorders in their place.
struct ReplaceEntries {
    std::function<FileOutcome(const QString&, const QString&, const QString&, EngineContext&)> single
        = ReplaceTextInFile;
    std::function<FileOutcome(const QString&, const QStringList&, const QStringList&, EngineContext&)> sets
        = ReplaceTextInFileCombo;
};

// One row of a review: what the run would make of it, and its changes when it was read.
struct ReviewedRow {
    QString path;
    FileOutcome outcome; // as the run would tell it; nothing was written
    bool reviewed = false; // the engine read it to its end: review holds what it found
    FileReview review;
};

struct ReviewResult {
    QList<ReviewedRow> rows;
    bool refused = false; // the input was refused with a message: no rows
    bool stopped = false;
};

// A file to be written as it was reviewed.
struct ReviewedSource {
    QString path;
    FileIdentity identity;
    int listRow = 0; // its row in the window's list, for the report; 0: unknown
};

// What "Save as Patch..." made.
struct SavedPatch {
    bool saved = false; // false: the failure was reported
    QString folder; // where the patch applies: the folder that holds every file
    QStringList leftOut; // "<reason>: <path>" for each file not in it
};

struct BatchRunOptions {
    // The private folder where the run reports ("runs/") and the undo data ("undo/") are kept.
    QString stateFolder;
    // A file that takes longer than this shows how far it has got.
    int percentAfterMs = 1000;
    // The next files are read and replaced on another thread while the
    // current ones are written (only with the engine's own entries).
    bool workAhead = true;
    // For tests: every file handed ahead is waited for, never worked on afresh
    // only because the thread ahead has not got to it yet.
    bool waitForFilesAhead = false;
};

class BatchRun {
public:
    BatchRun(BatchRunWindow& window, WindowServices& services, BatchRunBoxes& boxes, ReplaceEntries entries = {},
        BatchRunOptions options = defaultOptions());

    // A click while a run is going on (it arrives through a yield) does nothing.
    // Once the window is closing the run stops at its next yield.
    void PushButton12_Click();
    // The same run, the same checks and engine, but nothing is written.
    void countMatches();
    // The same run, checks and engine, writing nothing: every file's changed
    // lines and the problems a run would meet. Ends without a box.
    ReviewResult review();
    // "Start Replacing" over these files only, in this order; a file changed
    // since it was reviewed is left as it is ("changed since the review").
    void runReviewed(const QList<ReviewedSource>& files);
    // The changes of these files as one unified diff at path, made by the
    // same engine again; a file changed since its review is left out and
    // named, as is one in UTF-16 or UTF-32 (also in a comment at the top).
    SavedPatch savePatch(const QString& path, const QList<ReviewedSource>& files);
    // Asks "Stop replacing?"; Yes stops the run at once. Only during a run.
    void askToStop();
    // Asks, then puts back every file the last run wrote.
    void undoLastRun();
    // At the program's start: finishes what a program that stopped in the
    // middle of writing a file left, and says which files.
    void recoverAtStart();
    bool isRunning() const { return m_running; }
    // How many files of the last run took the result made ahead for them.
    int filesTakenAhead() const { return m_takenAhead; }
    // How many files the run going on has made ahead so far.
    int filesMadeAhead() const { return m_ahead ? m_ahead->made() : 0; }
    UndoStore& undoStore() { return m_undo; }

    static BatchRunOptions defaultOptions();
    // "Tallowmere - 12 of 2,000 files", and " (37%)" when percent >= 0.
    static QString progressCaption(const QString& caption, int row, int rows, int percent);

private:
    enum class RowOutcome { Next, InputRefused, RowGone, Closing };
    enum class Mode { Replace, Count, Review };

    void start(Mode mode);
    // The rows of this run: the window's, or the reviewed files.
    int rowCount() const;
    QString rowText(int row) const;
    QString reviewedRefusal(const ByteSource& source) const;
    void run(GuardedProcedure& proc);
    // Work ahead: true when this run's entries are the engine's own.
    bool entriesAreTheEngines() const;
    // Hands the rows after this one to the threads ahead while they have room.
    void workAheadOf(int row);
    // The result made ahead for this row and work, if any.
    std::optional<PreparedResult> preparedFor(int row, FilesAhead::Work work);
    void forgetPrepared(EngineContext& context);
    RowOutcome processRow(GuardedProcedure& proc, int row, EngineContext& context);
    bool pairTextsAccepted(GuardedProcedure& proc, const QString& findWhat, const QString& replaceWith);
    void refuse(GuardedProcedure& proc, int pointerLabel, int messageLabel, BatchRunBoxes::Refusal refusal);
    void say(GuardedProcedure& proc, int label, BatchRunBoxes::Refusal refusal, const QString& folder = {},
        const QString& problem = {});
    bool stopping() const { return m_stopRequested || m_services.isClosing(); }
    void record(const QString& path, FileOutcome outcome);
    void recordRowsNotReached(int from, int to);
    void showProgress(int percent);
    void finish(GuardedProcedure& proc);

    BatchRunWindow& m_window;
    BatchRunBoxes& m_boxes;
    WindowServices& m_services;
    ReplaceEntries m_entries;
    BatchRunOptions m_options;
    UndoStore m_undo;
    bool m_running = false;
    bool m_asking = false;
    bool m_stopRequested = false;
    bool m_countOnly = false;
    Mode m_mode = Mode::Replace;
    ReviewRecorder m_recorder;
    QString m_listedTwice; // the reason of the row being recorded, in a review
    ReviewResult m_review;
    const QList<ReviewedSource>* m_reviewedFiles = nullptr;
    RunReport m_report;
    FilesAhead* m_ahead = nullptr; // during a run that writes
    int m_aheadRow = 0; // the last row handed ahead
    int m_takenAhead = 0;
    QHash<QString, int> m_listedRows; // the first row of each file, by its keys
    QString m_caption;
    int m_row = 0;
    int m_rows = 0;
    QString m_shownCaption;
    QElapsedTimer m_fileTime;
};
