// Hard stops and a full disk in the middle of a copy over a file itself (a
// file with another hard link takes its result, and its old content back, in
// itself): a program of its own is killed at several points, then a new one
// starts over the same state folder. The file is made whole, the start says
// so once, and Ctrl+Z still brings the original back.
#include "support/batchrunfixture.h"
#include "support/helperprogram.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

HelperRun runHelper(const QStringList& arguments)
{
    return runHelperProgram(QStringLiteral(UNDO_HELPER), arguments);
}

constexpr qint64 mib = 1 << 20;
const QByteArray oldRow = "1042,alpha,Berlin,2024-01-31\r\n";
const QByteArray newRow = "1042,alpha,Hamburg,2024-01-31\r\n";
// Three and a bit blocks of the copy: a stop can fall after each.
const int rows = int(3 * mib / oldRow.size()) + 100;

} // namespace

class TestUndoRecovery : public QObject, BatchRunFixture {
    Q_OBJECT

    QString file;
    QString link;

    // A file with a second hard link, so that it takes its result in itself.
    void addLinkedFile()
    {
        file = addFile("big.csv", oldRow.repeated(rows));
        link = path("big-link.csv");
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()) == 0);
    }
    QStringList helperArguments(const QString& mode, const QStringList& options) const
    {
        QStringList arguments{state->path(), mode};
        arguments << options;
        if (mode == "run")
            arguments << "Berlin"
                      << "Hamburg" << file;
        return arguments;
    }
    QStringList temporaries() const
    {
        return QDir(dir->path()).entryList({"*tallowmere-tmp*"}, QDir::Files | QDir::Hidden);
    }
    // A new program's start over the same state folder.
    QString startAgain()
    {
        restart();
        const qsizetype before = prompts.shown().size();
        run->recoverAtStart();
        return prompts.shown().size() > before ? prompts.shown().last().text : QString();
    }

private slots:
    void init() { reset(); }
    void cleanup() { QVERIFY2(prompts.done(), qPrintable(prompts.problems())); }

    // A hard stop while a group of results takes its files' places, the old
    // files of the whole group kept by then: those placed are new and the
    // rest old, also after the next start, and Ctrl+Z takes back the new.
    void stopWhileAGroupTakesItsPlacesLeavesTheRestAsTheyWere()
    {
        QStringList arguments{state->path(), "run", "--kill-before-place", "3", "Berlin", "Hamburg"};
        QStringList files;
        for (int i = 1; i <= 6; ++i)
            files << addFile(QString("g%1.csv").arg(i), "a,Berlin\n");
        QVERIFY(runHelper(arguments + files).killed);
        const auto expectPlacedFirstTwo = [&] {
            for (int i = 0; i < 6; ++i)
                QCOMPARE(readBytes(files[i]), QByteArray(i < 2 ? "a,Hamburg\n" : "a,Berlin\n"));
        };
        expectPlacedFirstTwo();
        QCOMPARE(startAgain(), QString());
        expectPlacedFirstTwo();
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.shown().last().text, QString("The last run is undone."));
        for (const QString& file : files)
            QCOMPARE(readBytes(file), QByteArray("a,Berlin\n"));
    }

    void forwardCopyStoppedAnywhereIsCompletedAtTheNextStart_data()
    {
        QTest::addColumn<qint64>("killAt");
        QTest::newRow("after the first block") << mib;
        QTest::newRow("after the second block") << 2 * mib;
        QTest::newRow("every byte copied, nothing synced") << qint64(rows) * newRow.size();
    }
    void forwardCopyStoppedAnywhereIsCompletedAtTheNextStart()
    {
        QFETCH(qint64, killAt);
        addLinkedFile();
        const HelperRun stopped = runHelper(helperArguments("run", {"--kill-at", QString::number(killAt)}));
        QVERIFY(stopped.killed);
        QCOMPARE(temporaries().size(), 1);

        prompts.answerMessage();
        QCOMPARE(startAgain(),
            QDir::toNativeSeparators(file) + " was being written when Tallowmere stopped; it has been completed.");
        QCOMPARE(readBytes(file), newRow.repeated(rows));
        QCOMPARE(readBytes(link), newRow.repeated(rows));
        QCOMPARE(temporaries(), QStringList());
        // Told once: the next start has nothing to say.
        QCOMPARE(startAgain(), QString());

        undoExpecting("The last run is undone.");
        QCOMPARE(readBytes(file), oldRow.repeated(rows));
        QCOMPARE(readBytes(link), oldRow.repeated(rows));
    }

    // With the whole result gone as well, the file goes back to what it was.
    void forwardCopyWithoutItsResultGoesBackToTheOriginal()
    {
        addLinkedFile();
        QVERIFY(runHelper(helperArguments("run", {"--kill-at", QString::number(mib)})).killed);
        const QStringList left = temporaries();
        QCOMPARE(left.size(), 1);
        QVERIFY(QFile::remove(dir->filePath(left.first())));
        prompts.answerMessage();
        QCOMPARE(startAgain(),
            QDir::toNativeSeparators(file)
                + " was being written when Tallowmere stopped; its previous content has been put back.");
        QCOMPARE(readBytes(link), oldRow.repeated(rows));
        prompts.answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), QString("There is no run to undo."));
    }

    void undoCopyStoppedAnywhereIsCompletedAtTheNextStart_data()
    {
        QTest::addColumn<qint64>("killAt");
        QTest::newRow("after the first block") << mib;
        QTest::newRow("every byte copied, nothing synced") << qint64(rows) * oldRow.size();
    }
    void undoCopyStoppedAnywhereIsCompletedAtTheNextStart()
    {
        QFETCH(qint64, killAt);
        addLinkedFile();
        QVERIFY(!runHelper(helperArguments("run", {})).killed);
        QCOMPARE(readBytes(file), newRow.repeated(rows));
        QVERIFY(runHelper(helperArguments("undo", {"--kill-at", QString::number(killAt)})).killed);

        prompts.answerMessage();
        QCOMPARE(startAgain(),
            QDir::toNativeSeparators(file) + " was being restored when Tallowmere stopped; it has been restored.");
        QCOMPARE(readBytes(file), oldRow.repeated(rows));
        QCOMPARE(readBytes(link), oldRow.repeated(rows));
        prompts.answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), QString("There is no run to undo."));
    }

    // A stop while an undo copies into a new file beside the target: the
    // target never changed, the half copy goes, the run can still be undone.
    void undoStoppedBeforeItsRenameLeavesTheFileToUndo()
    {
        file = addFile("plain.csv", oldRow.repeated(rows));
        QVERIFY(!runHelper(helperArguments("run", {"--no-links"})).killed);
        QVERIFY(runHelper(helperArguments("undo", {"--no-links", "--kill-at", QString::number(mib)})).killed);
        QCOMPARE(temporaries().size(), 1);
        QCOMPARE(readBytes(file), newRow.repeated(rows));
        QCOMPARE(startAgain(), QString());
        QCOMPARE(temporaries(), QStringList());
        undoExpecting("The last run is undone.");
        QCOMPARE(readBytes(file), oldRow.repeated(rows));
    }

    // A full disk during a copy back: where the old content is longer, the
    // space taken first fails before the first byte and the file stays whole
    // and new; where it fits, a write may still fail in the middle. Either
    // way the old content stays kept, the failure names where, and the next
    // start (or undo) completes it.
    void fullDiskDuringAnUndoNeverLosesTheOriginal_data()
    {
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("torn");
        QTest::newRow("old content longer") << "Bonn" << false;
        QTest::newRow("old content shorter") << "Hamburg" << true;
    }
    void fullDiskDuringAnUndoNeverLosesTheOriginal()
    {
        QFETCH(QString, replacement);
        QFETCH(bool, torn);
        addLinkedFile();
        QStringList arguments{state->path(), "run", "Berlin", replacement, file};
        QVERIFY(!runHelper(arguments).killed);
        QByteArray result = oldRow;
        result.replace("Berlin", replacement.toUtf8());
        QCOMPARE(readBytes(link), result.repeated(rows));

        const HelperRun full = runHelper(helperArguments("undo", {"--fsize-limit", QString::number(mib)}));
        QVERIFY(!full.killed);
        QVERIFY2(full.output.contains("The last run is undone, except for 1 file (see the details).")
                && full.output.contains("failed, " + QDir::toNativeSeparators(file) + ": File too large")
                && full.output.contains("its previous content is kept as " + state->path() + "/undo/"),
            qPrintable(full.output));
        if (!torn)
            QCOMPARE(readBytes(link), result.repeated(rows));
        prompts.answerMessage();
        QCOMPARE(startAgain(),
            QDir::toNativeSeparators(file) + " was being restored when Tallowmere stopped; it has been restored.");
        QCOMPARE(readBytes(link), oldRow.repeated(rows));
    }
};

QTEST_GUILESS_MAIN(TestUndoRecovery)
#include "test_undorecovery.moc"
