// The batch run's review over the real engine: it writes nothing and keeps
// every row; the run after it writes exactly the files let through, and
// leaves one that changed since the review.
#include "engine/batchrun/batchrun.h"

#include "support/batchrunfixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

class TestReviewRun : public QObject {
    Q_OBJECT

    BatchRunFixture f;

    QList<ReviewedSource> sourcesOf(const ReviewResult& result, const QStringList& names)
    {
        QList<ReviewedSource> sources;
        for (int i = 0; i < result.rows.size(); ++i) {
            const ReviewedRow& row = result.rows[i];
            if (names.contains(QFileInfo(row.path).fileName()))
                sources.append({row.path, row.review.source, i + 1});
        }
        return sources;
    }

private slots:
    void init()
    {
        f.startWithSetsTab();
        f.window.finds = {"Berlin"};
        f.window.replaces = {"Hamburg"};
    }
    void cleanup() { QVERIFY2(f.prompts.done(), qPrintable(f.prompts.problems())); }

    void writesNothingAndKeepsEveryRow()
    {
        const QString a = f.addFile("a.csv", "1,Berlin\n2,Paris\n3,Berlin\n");
        const QString b = f.addFile("b.csv", "1,Paris\n");
        const QString c = f.addFile("c.csv", "");
        const ReviewResult result = f.run->review();
        QVERIFY(!result.refused && !result.stopped);
        QCOMPARE(result.rows.size(), 3);
        QCOMPARE(result.rows[0].outcome.kind, FileOutcome::Changed);
        QCOMPARE(result.rows[0].outcome.replacements, 2);
        QVERIFY(result.rows[0].reviewed);
        QCOMPARE(result.rows[0].review.lines.size(), 2);
        QCOMPARE(result.rows[0].review.lines[1].number, 3);
        QCOMPARE(result.rows[0].review.lines[1].after, QString("3,Hamburg"));
        QCOMPARE(result.rows[1].outcome.kind, FileOutcome::Unchanged);
        QVERIFY(result.rows[1].reviewed);
        QVERIFY(result.rows[1].review.lines.isEmpty());
        // An empty file on the sets tab is read and found unchanged, as in a run.
        QCOMPARE(result.rows[2].outcome.kind, FileOutcome::Unchanged);
        QVERIFY(result.rows[2].review.lines.isEmpty());
        QCOMPARE(readBytes(a), QByteArray("1,Berlin\n2,Paris\n3,Berlin\n"));
        QCOMPARE(readBytes(b), QByteArray("1,Paris\n"));
        QVERIFY(f.prompts.shown().isEmpty());
        // No run report, no way back: nothing happened.
        QVERIFY(!QDir(f.state->filePath("runs")).exists() || QDir(f.state->filePath("runs")).isEmpty());
        QCOMPARE(f.run->undoStore().findCandidate().state, UndoStore::Candidate::None);
        QCOMPARE(c, f.path("c.csv"));
    }

    void theRunWritesExactlyTheFilesLetThrough()
    {
        const QString a = f.addFile("a.csv", "Berlin\n");
        const QString b = f.addFile("b.csv", "Berlin\n");
        const ReviewResult result = f.run->review();
        f.prompts.answerMessage();
        f.run->runReviewed(sourcesOf(result, {"b.csv"}));
        QCOMPARE(f.prompts.messageTexts().last(), QString("Done."));
        QCOMPARE(readBytes(a), QByteArray("Berlin\n"));
        QCOMPARE(readBytes(b), QByteArray("Hamburg\n"));
        QVERIFY(!f.prompts.lastDetails().contains("a.csv"));
        QVERIFY(f.prompts.lastDetails().contains("changed, 1 replacement"));
    }

    // The report of a run over some of the rows names rows as the list has them.
    void aFileListedTwiceNamesItsFirstRowInTheList()
    {
        f.addFile("x.csv", "Paris\n");
        const QString a = f.addFile("a.csv", "Berlin\n");
        f.window.rows.append(a);
        const ReviewResult result = f.run->review();
        QCOMPARE(result.rows[2].review.problem, QString("listed before (row 2)"));
        f.prompts.answerMessage();
        f.run->runReviewed(sourcesOf(result, {"a.csv"}));
        QCOMPARE(readBytes(a), QByteArray("Hamburg\n"));
        QVERIFY2(f.prompts.lastDetails().contains("listed before (row 2)"), qPrintable(f.prompts.lastDetails()));
    }

    void aFileChangedSinceTheReviewIsNotWritten()
    {
        const QString a = f.addFile("a.csv", "Berlin\n");
        const QString b = f.addFile("b.csv", "Berlin\n");
        const ReviewResult result = f.run->review();
        writeBytes(a, "Berlin, Berlin\n");
        f.prompts.answerMessage();
        f.run->runReviewed(sourcesOf(result, {"a.csv", "b.csv"}));
        QCOMPARE(readBytes(a), QByteArray("Berlin, Berlin\n"));
        QCOMPARE(readBytes(b), QByteArray("Hamburg\n"));
        QVERIFY2(
            f.prompts.lastDetails().contains("changed since the review: " + a), qPrintable(f.prompts.lastDetails()));
    }

    void seesAheadWhatTheRunWouldFailOn()
    {
        const QString out = f.path("out");
        QDir().mkpath(out);
        QDir().mkpath(f.path("x"));
        QDir().mkpath(f.path("y"));
        f.addFile("x/a.csv", "Berlin\n");
        f.addFile("y/a.csv", "Berlin\n");
        f.window.where = {true, false, out};
        const ReviewResult result = f.run->review();
        QCOMPARE(result.rows.size(), 2);
        QVERIFY(result.rows[0].review.problem.isEmpty());
        QVERIFY2(
            result.rows[1].review.problemText().startsWith("would fail: "), qPrintable(result.rows[1].review.problem));
        QVERIFY(result.rows[1].review.problem.contains("already written"));
        QVERIFY(QDir(out).isEmpty());
    }

    void aFileListedTwiceWouldFail()
    {
        f.addFile("a.csv", "Berlin\n");
        f.window.rows.append(f.window.rows.first());
        const ReviewResult result = f.run->review();
        QCOMPARE(result.rows[1].review.problemText(), QString("would fail: listed before (row 1)"));
        QVERIFY(result.rows[0].review.problem.isEmpty());
    }

    void anOutputFolderThatCannotBeWrittenIsRefusedAsByTheRun()
    {
#ifdef Q_OS_UNIX
        const QString out = f.path("out");
        QDir().mkpath(out);
        QVERIFY(::chmod(QFile::encodeName(f.dir->path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(out).constData(), 0555) == 0);
        f.window.where = {true, false, out};
        f.addFile("a.csv", "Berlin\n");
        f.prompts.answerMessage();
        // Root writes anywhere: the review runs as another user then.
        const bool asOther = ::geteuid() == 0;
        QVERIFY(!asOther || ::seteuid(65534) == 0);
        const ReviewResult result = f.run->review();
        QVERIFY(!asOther || ::seteuid(0) == 0);
        ::chmod(QFile::encodeName(out).constData(), 0755);
        QVERIFY(result.refused);
        QVERIFY(result.rows.isEmpty());
        QVERIFY2(f.prompts.messageTexts().last().endsWith("Please select another folder."),
            qPrintable(f.prompts.messageTexts().last()));
#endif
    }

    // A result is made in the folder that holds the file itself, also when
    // the list names it through a link in another folder.
    void aLinkedFileIsJudgedByTheFolderItIsWrittenIn()
    {
#ifdef Q_OS_UNIX
        QDir().mkpath(f.path("open"));
        QDir().mkpath(f.path("locked"));
        const QString inLocked = f.addFile("locked/real.csv", "Berlin\n");
        const QString inOpen = f.path("open/real.csv");
        writeBytes(inOpen, "Berlin\n");
        QVERIFY(QFile::link(inLocked, f.path("open/to-locked.csv")));
        QVERIFY(QFile::link(inOpen, f.path("locked/to-open.csv")));
        f.window.rows = {f.path("open/to-locked.csv"), f.path("locked/to-open.csv")};
        QVERIFY(::chmod(QFile::encodeName(f.dir->path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(f.path("open")).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(f.path("locked")).constData(), 0555) == 0);
        for (const QString& path : {inLocked, inOpen})
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0666) == 0);
        // Root writes anywhere: the review runs as another user then.
        const bool asOther = ::geteuid() == 0;
        QVERIFY(!asOther || ::seteuid(65534) == 0);
        const ReviewResult result = f.run->review();
        QVERIFY(!asOther || ::seteuid(0) == 0);
        ::chmod(QFile::encodeName(f.path("locked")).constData(), 0755);
        QCOMPARE(result.rows.size(), 2);
        QVERIFY2(
            result.rows[0].review.problem.endsWith("Permission denied"), qPrintable(result.rows[0].review.problem));
        QVERIFY2(result.rows[1].review.problem.isEmpty(), qPrintable(result.rows[1].review.problem));
#endif
    }

    void refusedInputEndsTheReviewWithItsMessage()
    {
        f.window.tab = 0;
        f.window.find = "";
        f.window.replace = "";
        f.addFile("a.csv", "Berlin\n");
        f.prompts.answerMessage();
        const ReviewResult result = f.run->review();
        QVERIFY(result.refused);
        QCOMPARE(f.prompts.messageTexts().last(), QString("You forgot to input find what."));
    }
};

QTEST_GUILESS_MAIN(TestReviewRun)
#include "test_reviewrun.moc"
