// The batch run's logic alone: a window made of plain values, engine entries
// that record their calls.
#include "engine/batchrun/batchrun.h"
#include "engine/widgets/batchrunboxes.h"

#include "support/enginetestfiles.h"
#include "support/fakebatchrunwindow.h"
#include "support/scriptedprompts.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using FakeWindow = FakeBatchRunWindow;

class TestBatchRun : public QObject {
    Q_OBJECT

    ScriptedPrompts prompts;
    PromptedBatchRunBoxes boxes{prompts};
    ErrorReporter reporter{prompts};
    WindowPointer pointer;
    FakeWindow window;
    WindowServices services{prompts, reporter, pointer, {}, [] {}, [this] { return window.isClosing; }};
    QStringList calls;
    std::function<void(EngineContext&)> duringEntry;
    std::unique_ptr<BatchRun> run;
    QTemporaryDir dir;
    QTemporaryDir state;

    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, bytes);
        return path;
    }

private slots:
    void init()
    {
        prompts.clear();
        prompts.setApplicationTitle("Tallowmere");
        window = FakeWindow{};
        window.rows = {file("a", "a"), file("b", "b")};
        calls.clear();
        duringEntry = nullptr;
        services.yield = [] {};
        ReplaceEntries entries;
        entries.single = [this](const QString& path, const QString& find, const QString& replace, EngineContext& c) {
            calls.append("single " + QFileInfo(path).fileName() + " " + find + "/" + replace);
            if (duringEntry)
                duringEntry(c);
            return FileOutcome{FileOutcome::Unchanged};
        };
        entries.sets = [this](const QString& path, const QStringList& finds, const QStringList&, EngineContext& c) {
            calls.append("sets " + QFileInfo(path).fileName() + " " + finds.join(','));
            if (duringEntry)
                duringEntry(c);
            return FileOutcome{FileOutcome::Unchanged};
        };
        run = std::make_unique<BatchRun>(window, services, boxes, entries, BatchRunOptions{state.path()});
    }
    void cleanup() { QVERIFY2(prompts.done(), qPrintable(prompts.problems())); }

    void engineReadsDestinationYieldAndStopThroughTheWindow()
    {
        window.where = {true, false, dir.path()};
        int yields = 0;
        services.yield = [&] { ++yields; };
        duringEntry = [&](EngineContext& context) {
            QCOMPARE(context.output.destination().outputFolder, dir.path());
            context.control.yield();
            QVERIFY(!context.control.stopRequested());
            window.isClosing = true;
            QVERIFY(context.control.stopRequested());
        };
        run->PushButton12_Click();
        // One yield before the first file, one from the entry; then the run ends.
        QCOMPARE(yields, 2);
        QCOMPARE(calls.size(), 1);
        QVERIFY(!run->isRunning());
    }

    void entryThatThrowsIsReportedAtItsStepAndRunGoesOn_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("label");
        QTest::newRow("single") << 0 << 144;
        QTest::newRow("sets") << 1 << 148;
    }
    void entryThatThrowsIsReportedAtItsStepAndRunGoesOn()
    {
        QFETCH(int, tab);
        QFETCH(int, label);
        window.tab = tab;
        window.find = "a";
        int entries = 0;
        duringEntry = [&](EngineContext&) {
            if (++entries == 1)
                throw Failure("Disk full");
        };
        prompts.answerMessage().answerMessage();
        run->PushButton12_Click();
        QCOMPARE(entries, 2);
        QCOMPARE(prompts.messageTexts().first(),
            errorReportText("Disk full", errorLocation("Form1", "PushButton12_Click"), label));
        QCOMPARE(prompts.messageTexts().last(), QString("Done."));
    }

    void tabOutsideBothPagesProcessesNothing()
    {
        window.tab = -1;
        prompts.answerMessage();
        run->PushButton12_Click();
        QCOMPARE(calls, QStringList());
        QCOMPARE(prompts.messageTexts(), QStringList({"Done."}));
    }

    void everyEndingClearsRunning_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("no files") << "no files";
        QTest::newRow("no folder") << "no folder";
        QTest::newRow("input refused") << "input refused";
        QTest::newRow("closing") << "closing";
    }
    void everyEndingClearsRunning()
    {
        QFETCH(QString, ending);
        const FakeWindow ready = window;
        if (ending == "no files")
            window.rows.clear();
        if (ending == "no folder")
            window.where = {true, false, dir.filePath("missing")};
        if (ending == "input refused")
            window.tab = 0;
        if (ending == "closing")
            services.yield = [&] { window.isClosing = true; };
        if (ending != "closing")
            prompts.answerMessage();
        run->PushButton12_Click();
        QVERIFY(!run->isRunning());
        QCOMPARE(pointer.value(), int(WindowPointer::Default));
        QCOMPARE(calls, QStringList());

        window = ready;
        services.yield = [] {};
        prompts.answerMessage();
        run->PushButton12_Click();
        QCOMPARE(calls, QStringList({"sets a ", "sets b "}));
    }
};

QTEST_MAIN(TestBatchRun)
#include "test_batchrun.moc"
