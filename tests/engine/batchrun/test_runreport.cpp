// What a run tells about its rows, with the real engine on temporary files:
// the outcome of every kind of row, the closing box's details, the CSV report,
// the progress in the caption, a stop in the middle of a large file and a run
// that only counts.
#include "support/batchrunfixture.h"
#include "support/specialfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestRunReport : public QObject, BatchRunFixture {
    Q_OBJECT

    QStringList reports() const { return QDir(state->filePath("runs")).entryList({"*.csv"}, QDir::Files, QDir::Name); }
    QString detailLine(int i) const { return prompts.lastDetails().split('\n').value(i); }

    // One row of each kind that the tab can give; the second row, a FIFO, can't be read.
    void fillEveryKind(int tab)
    {
        window.tab = tab;
        window.find = "a";
        window.replace = "x";
        window.finds = {"a"};
        window.replaces = {"x"};
        addFile("changed.csv", "a,a,a");
        QVERIFY2(makeFifo(path("fifo.csv")), "a named pipe is one of the kinds of row");
        window.rows.append(path("fifo.csv"));
        addFile("unchanged.csv", "b");
        addFile("empty.csv", "");
        window.rows.append(path("missing.csv"));
    }

private slots:
    void init()
    {
        reset();
        services.yield = [] {};
        services.keepAlive = {};
        BatchRunOptions options{state->path()};
        options.percentAfterMs = 0;
        run = std::make_unique<BatchRun>(window, services, boxes, ReplaceEntries{}, options);
    }
    void cleanup() { QVERIFY2(prompts.done(), qPrintable(prompts.problems())); }

    void outcomeOfEveryKindOfRow_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("rows");
        // The single tab skips what it can't open; the sets tab reports it.
        // Failed rows come first, then skipped ones, each in list order.
        QTest::newRow("single") << 0 << "1 file changed (3 replacements), 1 unchanged, 3 skipped, 0 failed"
                                << QStringList{"skipped, not a regular file: ", "skipped, empty: ",
                                       "skipped, missing: ", "changed, 3 replacements: ", "unchanged: "}
                                << QList<int>{1, 3, 4, 0, 2};
        QTest::newRow("sets") << 1 << "1 file changed (3 replacements), 2 unchanged, 0 skipped, 2 failed"
                              << QStringList{"failed, ", "failed, ",
                                     "changed, 3 replacements: ", "unchanged: ", "unchanged: "}
                              << QList<int>{1, 4, 0, 2, 3};
    }
    void outcomeOfEveryKindOfRow()
    {
        QFETCH(int, tab);
        QFETCH(QString, summary);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, rows);
        fillEveryKind(tab);
        if (tab == 1)
            prompts.answerMessage().answerMessage(); // the engine's reports of the failed reads
        prompts.answerMessage();
        run->PushButton12_Click();
        QCOMPARE(prompts.messageTexts().last(), QString("Done."));
        QCOMPARE(detailLine(0), summary);
        QCOMPARE(detailLine(1), QString());
        for (int i = 0; i < lines.size(); ++i) {
            const QString line = detailLine(2 + i);
            QVERIFY2(line.startsWith(lines[i]) && line.endsWith(window.rows[rows[i]]), qPrintable(line));
        }
        if (tab == 1)
            QVERIFY2(detailLine(2).contains(prompts.messageTexts().first().section("\r\n", 0, 0)),
                qPrintable(detailLine(2)));
        QCOMPARE(readBytes(path("changed.csv")), QByteArray("x,x,x"));
        // The details close with where the report is and the way back.
        const QStringList details = prompts.lastDetails().split('\n');
        QCOMPARE(details.last(), QString("Ctrl+Z undoes this run."));
        QCOMPARE(reports().size(), 1);
        QCOMPARE(details[details.size() - 2],
            "This report is saved as " + QDir::toNativeSeparators(state->filePath("runs/" + reports().first())));
    }

    void csvReportHoldsEveryRowQuotedAsNeeded()
    {
        window.tab = 1;
        window.finds = {"a"};
        window.replaces = {"b"};
        addFile("plain.csv", "aa");
        addFile("comma, \"quoted\".csv", "c");
        prompts.answerMessage();
        run->PushButton12_Click();
        QCOMPARE(reports().size(), 1);
        const QByteArray csv = readBytes(state->filePath("runs/" + reports().first()));
        QCOMPARE(csv,
            "path,outcome,replacements,reason\r\n" + path("plain.csv").toUtf8() + ",changed,2,\r\n\""
                + path("comma, \"\"quoted\"\".csv").toUtf8() + "\",unchanged,0,\r\n");
    }

    // A spreadsheet runs a field beginning with =, +, -, @, tab or CR as a
    // formula: the report begins it with an apostrophe. Only the user reads it.
    void csvFieldsThatASpreadsheetWouldRunAreKeptAsTextInAPrivateFile()
    {
        RunReport report;
        for (const char* start : {"=", "+", "-", "@", "\t", "\r"})
            report.rows.append(RunRow{QString(start) + "1+1", {FileOutcome::Failed, 0, QString(start) + "cmd"}});
        report.rows.append(RunRow{"/data/a=b.csv", {}});
        const QList<QByteArray> lines = csvText(report).split('\n');
        QCOMPARE(lines[1], QByteArray("'=1+1,failed,0,'=cmd\r"));
        QCOMPARE(lines[4], QByteArray("'@1+1,failed,0,'@cmd\r"));
        QCOMPARE(lines[5], QByteArray("'\t1+1,failed,0,'\tcmd\r"));
        QCOMPARE(lines[6], QByteArray("\"'\r1+1\",failed,0,\"'\rcmd\"\r"));
        QCOMPARE(lines[7], QByteArray("/data/a=b.csv,not reached,0,\r"));
#if defined(Q_OS_UNIX)
        ::chmod(QFile::encodeName(state->path()).constData(), 0755);
        const QString written = writeRunReport(state->path(), report, QDateTime::currentDateTime());
        struct stat info { };
        ::stat(QFile::encodeName(written).constData(), &info);
        QCOMPARE(int(info.st_mode & 0777), 0600);
        ::stat(QFile::encodeName(state->filePath("runs")).constData(), &info);
        QCOMPARE(int(info.st_mode & 0777), 0700);
        ::stat(QFile::encodeName(state->path()).constData(), &info);
        QCOMPARE(int(info.st_mode & 0777), 0700);
#endif
    }

    void onlyTheLastTwentyReportsAreKept()
    {
        window.tab = 1;
        addFile("a.csv", "a");
        QDir().mkpath(state->filePath("runs"));
        for (int i = 0; i < 25; ++i)
            writeBytes(state->filePath(QString("runs/run-2000-01-01_00-00-%1.csv").arg(i, 2, 10, QChar('0'))), "old");
        // Their times are older than the new report's.
        for (const QString& name : reports()) {
            QFile file(state->filePath("runs/" + name));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(
                QDateTime::currentDateTime().addDays(-1 - name.mid(21, 2).toInt()), QFileDevice::FileModificationTime));
        }
        prompts.answerMessage();
        run->PushButton12_Click();
        const QStringList kept = reports();
        QCOMPARE(kept.size(), 20);
        QVERIFY(!kept.contains("run-2000-01-01_00-00-19.csv"));
        QVERIFY(kept.contains("run-2000-01-01_00-00-18.csv"));
        QVERIFY(kept.last().startsWith("run-20") && !kept.last().startsWith("run-2000"));
    }

    void captionCountsFilesAndShowsPercentOfLongFileThenIsRestored()
    {
        window.tab = 1;
        window.finds = {"x"};
        window.replaces = {"y"};
        for (int i = 1; i <= 3; ++i)
            addFile(QString("f%1.csv").arg(i), QByteArray(3 * 65536, 'x'));
        prompts.answerMessage();
        run->PushButton12_Click();
        QCOMPARE(window.captions.first(), QString("Tallowmere - 1 of 3 files"));
        QVERIFY(window.captions.contains("Tallowmere - 1 of 3 files (33%)"));
        QVERIFY(window.captions.contains("Tallowmere - 3 of 3 files (66%)"));
        QCOMPARE(window.captions.last(), QString("Tallowmere"));
        QCOMPARE(BatchRun::progressCaption("Tallowmere", 12, 2000, -1), QString("Tallowmere - 12 of 2,000 files"));
    }

    // Escape's question comes through a yield; Yes discards the file being
    // written and touches no later row.
    void stopInTheMiddleOfALargeFile_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("single") << 0;
        QTest::newRow("sets") << 1;
    }
    void stopInTheMiddleOfALargeFile()
    {
        QFETCH(int, tab);
        window.tab = tab;
        window.find = "x";
        window.replace = "y";
        window.finds = {"x"};
        window.replaces = {"y"};
        addFile("first.csv", "x");
        const QByteArray large(16 * 65536, 'x');
        addFile("large.csv", large);
        addFile("later.csv", "x");
        int keptAlive = 0;
        // In place, the first result may still wait for its commit: the
        // caption tells that the run is at the large file.
        auto askAtTheFifthChunk = [&] {
            if (window.shownCaption.contains(" - 2 of 3 files") && ++keptAlive == 5)
                run->askToStop();
        };
        services.keepAlive = askAtTheFifthChunk;
        if (tab == 0)
            services.yield = askAtTheFifthChunk;
        prompts.answerMessage(Answer::Yes).answerMessage();
        // The engine keeps the window alive at every chunk.
        ReplaceEntries slowEntries;
        slowEntries.single = [](const QString& a, const QString& b, const QString& c, EngineContext& context) {
            context.control.keepAliveMs = 0;
            return ReplaceTextInFile(a, b, c, context);
        };
        slowEntries.sets = [](const QString& a, const QStringList& b, const QStringList& c, EngineContext& context) {
            context.control.keepAliveMs = 0;
            return ReplaceTextInFileCombo(a, b, c, context);
        };
        run = std::make_unique<BatchRun>(window, services, boxes, slowEntries, BatchRunOptions{state->path()});
        run->PushButton12_Click();
        QCOMPARE(prompts.messageTexts(), QStringList({"Stop replacing?", "Stopped."}));
        QCOMPARE(prompts.shown().first().style, StyleYesNo | StyleQuestion);
        QCOMPARE(readBytes(path("large.csv")), large);
        QCOMPARE(readBytes(path("later.csv")), QByteArray("x"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
        QCOMPARE(detailLine(0),
            QString("1 file changed (1 replacement), 0 unchanged, 0 skipped, 0 failed, "
                    "2 not reached"));
        QVERIFY2(detailLine(3).startsWith("not reached, stopped in the middle"), qPrintable(detailLine(3)));
        QCOMPARE(detailLine(4), "not reached: " + path("later.csv"));
        QVERIFY(!run->isRunning());
    }

    // Results in place are committed together at the end of a group: one
    // that another program changed meanwhile is reported, its row says so,
    // and the others take their files' places.
    void fileChangedBeforeItsGroupCommitIsAFailedRow()
    {
        window.tab = 1;
        window.finds = {"a"};
        window.replaces = {"x"};
        addFile("first.csv", "a");
        const QString second = addFile("second.csv", "a,a");
        addFile("third.csv", "a");
        ReplaceEntries racing;
        racing.sets
            = [&](const QString& file, const QStringList& finds, const QStringList& replaces, EngineContext& context) {
                  // While the third file is worked on, the second one's result waits.
                  if (file == path("third.csv"))
                      writeBytes(second, "other program");
                  return ReplaceTextInFileCombo(file, finds, replaces, context);
              };
        run = std::make_unique<BatchRun>(window, services, boxes, racing, BatchRunOptions{state->path()});
        prompts.answerMessage().answerMessage();
        run->PushButton12_Click();
        QCOMPARE(prompts.messageTexts().size(), 2);
        QVERIFY2(prompts.messageTexts()[0].startsWith(second + ": "), qPrintable(prompts.messageTexts()[0]));
        QCOMPARE(prompts.messageTexts()[1], QString("Done."));
        QCOMPARE(detailLine(0), QString("2 files changed (2 replacements), 0 unchanged, 0 skipped, 1 failed"));
        QVERIFY2(detailLine(2).startsWith("failed, " + second + ": ") && detailLine(2).contains("changed"),
            qPrintable(detailLine(2)));
        QCOMPARE(readBytes(path("first.csv")), QByteArray("x"));
        QCOMPARE(readBytes(second), QByteArray("other program"));
        QCOMPARE(readBytes(path("third.csv")), QByteArray("x"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
        QCOMPARE(run->undoStore().fileCount(), 2);
    }

    void answeringNoToStopGoesOn()
    {
        window.tab = 1;
        addFile("a.csv", "a");
        addFile("b.csv", "a");
        window.finds = {"a"};
        window.replaces = {"b"};
        services.yield = [&] { run->askToStop(); };
        prompts.answerMessage(Answer::No).answerMessage(Answer::No).answerMessage();
        run->PushButton12_Click();
        QCOMPARE(prompts.messageTexts().last(), QString("Done."));
        QCOMPARE(readBytes(path("b.csv")), QByteArray("b"));
        // Outside a run Escape asks nothing.
        run->askToStop();
    }

    void closingDuringARunStopsWithoutABoxAndKeepsTheReport()
    {
        window.tab = 1;
        window.finds = {"x"};
        window.replaces = {"y"};
        const QByteArray large(8 * 65536, 'x');
        addFile("large.csv", large);
        addFile("later.csv", "x");
        services.keepAlive = [&] { window.isClosing = true; };
        ReplaceEntries entries;
        entries.sets = [](const QString& a, const QStringList& b, const QStringList& c, EngineContext& context) {
            context.control.keepAliveMs = 0;
            return ReplaceTextInFileCombo(a, b, c, context);
        };
        run = std::make_unique<BatchRun>(window, services, boxes, entries, BatchRunOptions{state->path()});
        run->PushButton12_Click();
        QCOMPARE(readBytes(path("large.csv")), large);
        QCOMPARE(readBytes(path("later.csv")), QByteArray("x"));
        QCOMPARE(reports().size(), 1);
        QVERIFY(readBytes(state->filePath("runs/" + reports().first())).contains("later.csv,not reached,0,"));
    }

    void countOnlyLeavesEveryByteAndTimeAsItWas_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("single, in place") << 0 << true;
        QTest::newRow("sets, in place") << 1 << true;
        QTest::newRow("sets, output folder") << 1 << false;
    }
    void countOnlyLeavesEveryByteAndTimeAsItWas()
    {
        QFETCH(int, tab);
        QFETCH(bool, inPlace);
        window.tab = tab;
        window.find = "a";
        window.replace = "b";
        window.finds = {"a"};
        window.replaces = {"b"};
        addFile("one.csv", "a,a");
        addFile("two.csv", "c");
        QDir().mkpath(path("out"));
        if (!inPlace)
            window.where = {true, false, path("out")};
        QList<QDateTime> times;
        for (const QString& row : window.rows)
            times.append(QFileInfo(row).lastModified());
        QTest::qWait(20);
        prompts.answerMessage();
        run->countMatches();
        QCOMPARE(prompts.messageTexts(), QStringList({"Done."}));
        QCOMPARE(detailLine(0), QString("Nothing was written (count only)"));
        QCOMPARE(detailLine(1), QString("1 file would change (2 replacements), 1 unchanged, 0 skipped, 0 failed"));
        QVERIFY(!prompts.lastDetails().contains("Ctrl+Z"));
        QCOMPARE(readBytes(path("one.csv")), QByteArray("a,a"));
        QCOMPARE(readBytes(path("two.csv")), QByteArray("c"));
        for (int i = 0; i < window.rows.size(); ++i)
            QCOMPARE(QFileInfo(window.rows[i]).lastModified(), times[i]);
        QCOMPARE(QDir(path("out")).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QVERIFY(reports().first().endsWith("-count.csv"));
    }

    void inputRefusedShowsNoReport()
    {
        window.tab = 0;
        addFile("a.csv", "a");
        prompts.answerMessage();
        run->PushButton12_Click();
        QCOMPARE(prompts.messageTexts(), QStringList({"You forgot to input find what."}));
        QCOMPARE(prompts.lastDetails(), QString());
        QCOMPARE(reports(), QStringList());
    }
};

QTEST_MAIN(TestRunReport)
#include "test_runreport.moc"
