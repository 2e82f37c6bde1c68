// The run with the next files made ahead on another thread against the run
// that works on one file after another: the same bytes, outcomes, boxes and
// report; a file changed after it was made ahead is worked on afresh; a stop
// or a kill in the middle leaves every file wholly old or wholly new.
#include "support/batchrunfixture.h"
#include "support/helperprogram.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

namespace {

const QByteArray row = "1042,alpha,Berlin,Zo\xc3\xab,2024-01-31\r\n";
const QByteArray newRow = "1042,alpha,Hamburg,Zo\xc3\xa9,2024-01-31\r\n";

QByteArray utf16(const QString& text)
{
    QByteArray bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

} // namespace

class TestRunAhead : public QObject, BatchRunFixture {
    Q_OBJECT

    struct Outcome {
        QMap<QString, QByteArray> files;
        QStringList shown;
        int takenAhead = 0;
    };

    // Every kind of row the run treats apart; the longer files span chunks.
    void addMixedRows()
    {
        addFile("plain.csv", row.repeated(3000));
        addFile("unchanged.csv", QByteArray("1,Paris,Lyon\r\n").repeated(200));
        addFile("marked.csv", "\xef\xbb\xbf" + row.repeated(50));
        addFile("utf16.csv", utf16(QString::fromUtf8(row.repeated(40))));
        addFile("w1252.csv", QByteArray("7,Berlin,Zo\xeb\r\n").repeated(100));
        // Not UTF-8 only far into the file: the encoding is decided after reading.
        addFile("late1252.csv", QByteArray("8,Berlin,x\r\n").repeated(40000) + "9,Zo\xeb\r\n");
        addFile("empty.csv", {});
        window.rows.append(path("missing.csv"));
        QVERIFY(QDir(dir->path()).mkdir("folder.csv"));
        window.rows.append(path("folder.csv"));
        window.rows.append(path("plain.csv"));
        addFile("last.csv", row.repeated(10));
    }

    Outcome runOnce(bool workAhead, int messages)
    {
        const QStringList rows = window.rows;
        QDir(dir->path()).removeRecursively();
        QDir().mkpath(dir->path());
        window.rows.clear();
        addMixedRows();
        window.rows = rows;
        BatchRunOptions options{state->path()};
        options.workAhead = workAhead;
        options.waitForFilesAhead = true;
        run = std::make_unique<BatchRun>(window, services, boxes, ReplaceEntries{}, options);
        prompts.clear();
        prompts.setApplicationTitle("Tallowmere");
        for (int i = 0; i < messages; ++i)
            prompts.answerMessage();
        run->PushButton12_Click();
        Outcome outcome;
        // The saved report's name tells the time of the run, nothing else.
        const QRegularExpression reportName("run-[^\n]*\\.csv");
        for (const ShownPrompt& shown : prompts.shown())
            outcome.shown << QString(shown.text + "\n" + shown.details).replace(reportName, "run.csv");
        const QString folder = window.where.option1 ? window.where.outputFolder : dir->path();
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            outcome.files[name] = readBytes(QDir(folder).filePath(name));
        outcome.takenAhead = run->filesTakenAhead();
        return outcome;
    }

    // Old or new through and through: never a mix, never a torn file.
    static bool wholeOldOrNew(const QByteArray& bytes, int rows)
    {
        return bytes == row.repeated(rows) || bytes == newRow.repeated(rows);
    }

private slots:
    void init() { startWithSetsTab(); }
    void cleanup() { QVERIFY2(prompts.done(), qPrintable(prompts.problems())); }

    void madeAheadIsWhatOneByOneMakes_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("toFolder");
        QTest::newRow("sets tab, in place") << 1 << false;
        QTest::newRow("single tab, in place") << 0 << false;
        QTest::newRow("sets tab, to an output folder") << 1 << true;
    }
    void madeAheadIsWhatOneByOneMakes()
    {
        QFETCH(int, tab);
        QFETCH(bool, toFolder);
        window.tab = tab;
        window.finds = {"Berlin", QString::fromUtf8("Zo\xc3\xab")};
        window.replaces = {"Hamburg", QString::fromUtf8("Zo\xc3\xa9")};
        window.find = window.finds.join("\r\n");
        window.replace = window.replaces.join("\r\n");
        QTemporaryDir out;
        if (toFolder)
            window.where = {true, false, out.path()};
        addMixedRows();
        // The sets tab tells a missing file and a folder in boxes of their own.
        const int messages = tab == 1 ? 3 : 1;
        const Outcome oneByOne = runOnce(false, messages);
        if (toFolder)
            QDir(out.path()).removeRecursively(), QDir().mkpath(out.path());
        const Outcome ahead = runOnce(true, messages);
        QCOMPARE(ahead.shown, oneByOne.shown);
        QCOMPARE(ahead.files.keys(), oneByOne.files.keys());
        for (const QString& name : oneByOne.files.keys())
            QVERIFY2(ahead.files[name] == oneByOne.files[name], qPrintable(name));
        QCOMPARE(oneByOne.files["plain.csv"], newRow.repeated(3000));
        QCOMPARE(oneByOne.takenAhead, 0);
        // The first file is the run's own; the missing one, the folder, the
        // one listed twice and (on the single tab) the empty one are never taken.
        QCOMPARE(ahead.takenAhead, tab == 1 ? 7 : 6);
    }

    // Memory held ahead stays bounded: a file longer than the limit, or one
    // whose result grows past twice it, is left to the run.
    void longFilesAndLongResultsAreNotHeldAhead()
    {
        const QString shortFile = addFile("short.csv", QByteArray("a,b\r\n").repeated(100));
        const QString longFile = addFile("long.csv", QByteArray("a;b\r\n").repeated(300));
        const QString growing = addFile("growing.csv", QByteArray("a,b\r\n").repeated(190));
        FilesAhead ahead({3, 1000, 1});
        const QString longer = QString(",").repeated(11);
        ahead.add(1, {shortFile, 1, {","}, {";"}});
        ahead.add(2, {longFile, 1, {","}, {";"}});
        ahead.add(3, {growing, 1, {","}, {longer}});
        const std::optional<PreparedResult> made = ahead.take(1, {shortFile, 1, {","}, {";"}}, true);
        QVERIFY(made);
        QCOMPARE(made->bytes, QByteArray("a;b\r\n").repeated(100));
        QCOMPARE(made->replacements, 100);
        QVERIFY(!ahead.take(2, {longFile, 1, {","}, {";"}}, true));
        QVERIFY(!ahead.take(3, {growing, 1, {","}, {longer}}, true));
        QCOMPARE(ahead.made(), 3);
    }

    // Made ahead, then written by someone else before the run got to it:
    // the same size and its time set back, or another file put in its place.
    void fileChangedAfterItWasMadeAheadIsReadAgain_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("rewritten, same size and time") << false;
        QTest::newRow("another file put in its place") << true;
    }
    void fileChangedAfterItWasMadeAheadIsReadAgain()
    {
        QFETCH(bool, replaced);
        BatchRunOptions options{state->path()};
        options.waitForFilesAhead = true;
        run = std::make_unique<BatchRun>(window, services, boxes, ReplaceEntries{}, options);
        for (int i = 1; i <= 6; ++i)
            addFile(QString("f%1.csv").arg(i), row.repeated(100));
        const QString target = path("f5.csv");
        const QByteArray other = QByteArray("22,other,Berlin,Berlin,2024-01-31\r\n").repeated(100);
        QCOMPARE(other.size(), row.repeated(100).size());
        int reached = 0;
        services.yield = [&] {
            if (++reached != 3)
                return;
            // Rows 2 to 6 were handed ahead at the first row.
            QTRY_VERIFY(run->filesMadeAhead() == 5);
            struct stat before { };
            QCOMPARE(::stat(QFile::encodeName(target).constData(), &before), 0);
            if (replaced) {
                writeBytes(target + ".new", other);
                QVERIFY(QFile::remove(target));
                QVERIFY(QFile::rename(target + ".new", target));
            } else {
                writeBytes(target, other);
            }
            const struct timespec times[2] = {before.st_atim, before.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(target).constData(), times, 0), 0);
        };
        replaceRun("Berlin", "Hamburg");
        services.yield = [] {};
        QCOMPARE(readBytes(target), QByteArray("22,other,Hamburg,Hamburg,2024-01-31\r\n").repeated(100));
        QCOMPARE(readBytes(path("f6.csv")), QByteArray(row).replace("Berlin", "Hamburg").repeated(100));
        // Rows 2, 3, 4 and 6 as made ahead; the changed one afresh.
        QCOMPARE(run->filesTakenAhead(), 4);
    }

    // A stop asked for at the fourth row: rows 5 on were made ahead, and
    // none of them is written.
    void stopLeavesTheFilesMadeAheadAsTheyWere()
    {
        for (int i = 1; i <= 10; ++i)
            addFile(QString("f%1.csv").arg(i, 2, 10, QChar('0')), row.repeated(100));
        int reached = 0;
        services.yield = [&] {
            if (++reached == 4) {
                QTRY_VERIFY(run->filesMadeAhead() >= 3);
                run->askToStop();
            }
        };
        window.finds = {"Berlin", QString::fromUtf8("Zo\xc3\xab")};
        window.replaces = {"Hamburg", QString::fromUtf8("Zo\xc3\xa9")};
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->PushButton12_Click();
        services.yield = [] {};
        QCOMPARE(prompts.messageTexts().last(), QString("Stopped."));
        for (int i = 1; i <= 10; ++i) {
            const QByteArray bytes = readBytes(path(QString("f%1.csv").arg(i, 2, 10, QChar('0'))));
            QCOMPARE(bytes, i <= 3 ? newRow.repeated(100) : row.repeated(100));
        }
    }

    // Killed as it reaches a row, results waiting for their group and the
    // next files made ahead: each file is wholly old or new, also once the
    // next start has finished what was left.
    void killLeavesEveryFileWholeOldOrNew_data()
    {
        QTest::addColumn<int>("killAtRow");
        QTest::newRow("at the second row") << 2;
        QTest::newRow("in the middle") << 6;
        QTest::newRow("at the last row") << 12;
    }
    void killLeavesEveryFileWholeOldOrNew()
    {
        QFETCH(int, killAtRow);
        QStringList arguments{state->path(), "run", "--kill-at-row", QString::number(killAtRow), "Berlin", "Hamburg"};
        for (int i = 1; i <= 12; ++i)
            arguments << addFile(QString("f%1.csv").arg(i, 2, 10, QChar('0')), row.repeated(2000));
        QVERIFY(runHelperProgram(QStringLiteral(UNDO_HELPER), arguments).killed);
        const QByteArray halfNew = QByteArray(row).replace("Berlin", "Hamburg").repeated(2000);
        for (int i = 1; i <= 12; ++i) {
            const QByteArray bytes = readBytes(window.rows[i - 1]);
            QVERIFY2(bytes == row.repeated(2000) || bytes == halfNew, qPrintable(window.rows[i - 1]));
        }
        restart();
        for (int i = 0; i < 2; ++i)
            prompts.answerMessage();
        run->recoverAtStart();
        for (int i = 1; i <= 12; ++i) {
            const QByteArray bytes = readBytes(window.rows[i - 1]);
            QVERIFY2(bytes == row.repeated(2000) || bytes == halfNew, qPrintable(window.rows[i - 1]));
        }
        // Those written before the kill are taken back whole by Ctrl+Z.
        prompts.clear();
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        for (int i = 1; i <= 12; ++i)
            QCOMPARE(readBytes(window.rows[i - 1]), row.repeated(2000));
        prompts.clear();
    }
};

QTEST_GUILESS_MAIN(TestRunAhead)
#include "test_runahead.moc"
