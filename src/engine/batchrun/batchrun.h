// The "Start Replacing" run over the file list: the input checks, one engine
// entry per row in the mode of the open tab, and the closing "Done.". It reads
// the main window only through BatchRunWindow, so it needs no widgets; the
// window's "Start Replacing" button calls PushButton12_Click().
#pragma once

#include "engine/replace/replacetext.h"
#include "base/windowservices.h"

#include <QString>
#include <QStringList>
#include <functional>

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
};

// The engine entries the run calls; tests put recorders in their place.
struct ReplaceEntries {
    std::function<void(const QString&, const QString&, const QString&, EngineContext&)> single = ReplaceTextInFile;
    std::function<void(const QString&, const QStringList&, const QStringList&, EngineContext&)> sets =
        ReplaceTextInFileCombo;
};

class BatchRun {
public:
    BatchRun(BatchRunWindow& window, WindowServices& services, ReplaceEntries entries = {});

    // A click while a run is going on (it arrives through a yield) does nothing.
    // Once the window is closing the run stops at its next yield.
    void PushButton12_Click();
    bool isRunning() const { return m_running; }

private:
    enum class RowOutcome { Next, InputRefused, RowGone, Closing };

    void run(GuardedProcedure& proc);
    RowOutcome processRow(GuardedProcedure& proc, int row, EngineContext& context);
    bool pairTextsAccepted(GuardedProcedure& proc, const QString& findWhat, const QString& replaceWith);
    void refuse(GuardedProcedure& proc, int pointerLabel, int messageLabel, const QString& text);
    void say(GuardedProcedure& proc, int label, const QString& text);

    BatchRunWindow& m_window;
    WindowServices& m_services;
    ReplaceEntries m_entries;
    bool m_running = false;
};
