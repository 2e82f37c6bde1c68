// A batch run over the real engine with scripted prompts, a window of plain
// values and temporary folders for the files and the program's state; the
// tests that inherit it add files as rows and press "Start Replacing".
#pragma once

#include "base/errorreport.h"
#include "base/windowservices.h"
#include "engine/batchrun/batchrun.h"
#include "engine/widgets/batchrunboxes.h"

#include "support/enginetestfiles.h"
#include "support/fakebatchrunwindow.h"
#include "support/scriptedprompts.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct BatchRunFixture {
    ScriptedPrompts prompts;
    PromptedBatchRunBoxes boxes{prompts};
    ErrorReporter reporter{prompts};
    WindowPointer pointer;
    WindowServices services{prompts, reporter, pointer, {}, [] {}, [this] { return window.isClosing; }};
    FakeBatchRunWindow window;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QTemporaryDir> state;
    std::unique_ptr<BatchRun> run;

    // Fresh folders, window and prompts; the run is made by the test's init().
    void reset()
    {
        prompts.clear();
        prompts.setApplicationTitle("Tallowmere");
        window = FakeBatchRunWindow{};
        dir = std::make_unique<QTemporaryDir>();
        state = std::make_unique<QTemporaryDir>();
    }
    // Fresh folders and a run on the sets tab, for a test's init().
    void startWithSetsTab()
    {
        reset();
        window.tab = 1;
        restart();
    }
    // A new window's run over the state folder, as after a restart.
    void restart()
    {
        run = std::make_unique<BatchRun>(window, services, boxes, ReplaceEntries{}, BatchRunOptions{state->path()});
    }
    QString path(const QString& name) const { return QDir::toNativeSeparators(dir->filePath(name)); }
    QString addFile(const QString& name, const QByteArray& bytes)
    {
        writeBytes(path(name), bytes);
        window.rows.append(path(name));
        return path(name);
    }
    // "Start Replacing" on the sets tab with one pair, to its "Done.".
    void replaceRun(const QString& find, const QString& replace)
    {
        window.finds = {find};
        window.replaces = {replace};
        prompts.answerMessage();
        run->PushButton12_Click();
        QCOMPARE(prompts.messageTexts().last(), QString("Done."));
    }
    // Ctrl+Z answered Yes, to the box that says how it went.
    void undoExpecting(const QString& said)
    {
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), said);
    }
};
