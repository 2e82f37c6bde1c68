// A batch run over the real engine with scripted prompts, a window of plain
// values and temporary folders for the files and the program's state; the
// tests that inherit it add files as rows and press "Start Replacing".
#pragma once

#include "base/errorreport.h"
#include "base/windowservices.h"
#include "engine/batchrun/batchrun.h"
#include "support/enginetestfiles.h"
#include "support/fakebatchrunwindow.h"
#include "support/scriptedprompts.h"

#include <QDir>
#include <QTemporaryDir>
#include <memory>

struct BatchRunFixture {
    ScriptedPrompts prompts;
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
    QString path(const QString& name) const { return QDir::toNativeSeparators(dir->filePath(name)); }
    QString addFile(const QString& name, const QByteArray& bytes)
    {
        writeBytes(path(name), bytes);
        window.rows.append(path(name));
        return path(name);
    }
};
