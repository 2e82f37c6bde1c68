// In place, the engine writes nothing until the first occurrence, then the
// unchanged text before it as the file holds it; and results in place wait
// in a commit queue, each file wholly old until its group is committed.
#include "base/failure.h"
#include "engine/output/commitqueue.h"
#include "engine/output/targetclaims.h"
#include "engine/replace/replacetext.h"

#include "support/chunkcompare.h"
#include "support/engineharness.h"
#include "support/enginetestfiles.h"
#include "support/recordingkeeper.h"
#include "support/scriptedprompts.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList temporaries(const QString& folder)
{
    return QDir(folder).entryList({"*.tallowmere-tmp-*"}, QDir::Files | QDir::Hidden);
}

// Text around the first occurrence: characters of one, two and four bytes in
// UTF-8 (Latin letters only where Windows-1252 is the encoding).
QString prefixText(int characters, TextEncoding encoding)
{
    const QStringList pieces = encoding == TextEncoding::Windows1252
        ? QStringList{"a", QString::fromLatin1("\xE9"), ",", QString(QChar(0x20AC)), "\r\n"}
        : QStringList{"a", QString::fromUtf8("\xC3\xA9"), ",", QString::fromUtf8("\xE2\x82\xAC"),
            QString::fromUtf8("\xF0\x9F\x98\x80"), "\r\n"};
    QString text;
    for (int i = 0; text.size() < characters; ++i)
        text += pieces[i % pieces.size()];
    return text.left(characters).endsWith(QChar(0xD83D)) ? text.left(characters + 1) : text.left(characters);
}

} // namespace

class TestInPlaceWrites : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void cleanup()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void noOccurrenceNeverCreatesATemporaryFile()
    {
        writeBytes(path("a.csv"), QByteArray("one,two,three\r\n").repeated(100));
        EngineHarness harness;
        harness.context.chunkSize = 7;
        int looks = 0;
        QStringList seen;
        harness.context.control.progress = [&](qint64, qint64) {
            ++looks;
            seen += temporaries(m_dir.path());
        };
        const FileOutcome outcome = ReplaceTextInFileCombo(path("a.csv"), {"four"}, {"4"}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(outcome.kind, FileOutcome::Unchanged);
        QVERIFY(looks > 100);
        QCOMPARE(seen, QStringList());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.csv"});
    }

    void noOccurrenceInAFileNobodyMayWriteIsUnchangedNotAFailure()
    {
        writeBytes(path("a.csv"), "one,two");
        QVERIFY(QFile::setPermissions(path("a.csv"), QFile::ReadOwner | QFile::ReadGroup));
        EngineHarness harness;
        const FileOutcome outcome = ReplaceTextInFile(path("a.csv"), "three", "3", harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(outcome.kind, FileOutcome::Unchanged);
        // With an occurrence the refusal still comes, at the write step.
        harness.prompts.answerMessage();
        const FileOutcome refused = ReplaceTextInFile(path("a.csv"), "two", "2", harness.context);
        QCOMPARE(refused.kind, FileOutcome::Failed);
        QVERIFY2(harness.report().startsWith(path("a.csv") + ": Permission denied"), qPrintable(harness.report()));
        QVERIFY(harness.report().contains("at line 136"));
        QCOMPARE(readBytes(path("a.csv")), QByteArray("one,two"));
        QFile::setPermissions(path("a.csv"), QFile::ReadOwner | QFile::WriteOwner);
    }

    // The first occurrence in the first chunk, across a chunk edge, just at
    // one, in the last chunk; bytes matched directly and text decoded.
    void firstOccurrenceAnywhereKeepsTheTextBeforeIt_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<bool>("decoded");
        for (TextEncoding encoding : allEncodings()) {
            QTest::newRow(qPrintable(encodingLabel(encoding))) << int(encoding) << false;
            QTest::newRow(qPrintable(encodingLabel(encoding) + ", decoded")) << int(encoding) << true;
        }
    }

    void firstOccurrenceAnywhereKeepsTheTextBeforeIt()
    {
        QFETCH(int, encoding);
        QFETCH(bool, decoded);
        const auto enc = TextEncoding(encoding);
        // A find with no bytes in the encoding makes the engine work on decoded text.
        const QString noBytes
            = enc == TextEncoding::Windows1252 ? QString::fromUtf8("\xE3\x82\xA2") : QString(QChar(0xDC00));
        QStringList finds{"Berlin"};
        QStringList replaces{"Hamburg"};
        if (decoded) {
            finds << noBytes;
            replaces << "x";
        }
        for (qsizetype chunk : fileChunkSizes) {
            for (int before : {0, 2, 5, 6, 62, 63, 64, 65, 300}) {
                const QString text = prefixText(before, enc) + "Berlin," + prefixText(40, enc);
                writeBytes(path("a.csv"), referenceBytes(text, enc));
                EngineHarness harness;
                harness.context.chunkSize = chunk;
                const FileOutcome outcome = ReplaceTextInFileCombo(path("a.csv"), finds, replaces, harness.context);
                QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
                QCOMPARE(outcome.kind, FileOutcome::Changed);
                const QByteArray expected = referenceBytes(replacedWholeText(text, finds, replaces), enc);
                COMPARE_AT_CHUNK_SIZE(chunk, readBytes(path("a.csv")), expected);
            }
        }
        // The very last characters.
        const QString text = prefixText(500, enc) + "Berlin";
        writeBytes(path("a.csv"), referenceBytes(text, enc));
        EngineHarness harness;
        harness.context.chunkSize = 64;
        ReplaceTextInFileCombo(path("a.csv"), finds, replaces, harness.context);
        QCOMPARE(readBytes(path("a.csv")), referenceBytes(replacedWholeText(text, finds, replaces), enc));
        QCOMPARE(temporaries(m_dir.path()), QStringList());
    }

    void unmarkedFileFoundNotUtf8AfterTheFirstOccurrence()
    {
        // Valid UTF-8 through the occurrence and far beyond, then a byte only Windows-1252 reads.
        const QByteArray bytes = QByteArray("\xC3\xA9t\xC3\xA9,").repeated(50) + "Berlin"
            + QByteArray("\xC3\xA9t\xC3\xA9,").repeated(2000) + "\xE9t\xE9,Berlin";
        writeBytes(path("a.csv"), bytes);
        EngineHarness harness;
        harness.context.chunkSize = 64;
        const FileOutcome outcome = ReplaceTextInFileCombo(path("a.csv"), {"Berlin"}, {"Hamburg"}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(outcome.replacements, 2);
        QByteArray expected = bytes;
        expected.replace("Berlin", "Hamburg");
        QCOMPARE(readBytes(path("a.csv")), expected);
        QCOMPARE(temporaries(m_dir.path()), QStringList());
    }

    void sourceChangedBeforeTheUnchangedTextIsReadAgainIsNotCommitted()
    {
        const QByteArray bytes = QByteArray("a,b,c\r\n").repeated(100) + "Berlin";
        writeBytes(path("a.csv"), bytes);
        EngineHarness harness;
        harness.context.chunkSize = 16;
        harness.context.control.progress = [&](qint64 done, qint64) {
            if (done == 32)
                writeBytes(path("a.csv"), QByteArray("other,program,Berlin\r\n").repeated(60));
        };
        harness.prompts.answerMessage();
        const FileOutcome outcome = ReplaceTextInFileCombo(path("a.csv"), {"Berlin"}, {"Hamburg"}, harness.context);
        QCOMPARE(outcome.kind, FileOutcome::Failed);
        QVERIFY2(harness.report().startsWith(path("a.csv")), qPrintable(harness.report()));
        QCOMPARE(readBytes(path("a.csv")), QByteArray("other,program,Berlin\r\n").repeated(60));
        QCOMPARE(temporaries(m_dir.path()), QStringList());
    }

    void queuedResultsStayOldUntilTheGroupIsCommitted()
    {
        EngineHarness harness;
        QList<QPair<qsizetype, QString>> failedTags;
        CommitQueue queue([&](qsizetype tag, const QString& reason) { failedTags.append({tag, reason}); });
        harness.context.output.commits = &queue;
        RecordingKeeper keeper;
        const QStringList& kept = keeper.kept;
        const QStringList& replaced = keeper.replacedTargets;
        harness.context.output.keeper = &keeper;
        QStringList files;
        for (int i = 0; i < 5; ++i) {
            files << path(QString("f%1.csv").arg(i));
            writeBytes(files.last(), "Berlin,Paris");
            harness.context.output.commitTag = i;
            const FileOutcome outcome = ReplaceTextInFileCombo(files.last(), {"Berlin"}, {"Hamburg"}, harness.context);
            QCOMPARE(outcome.kind, FileOutcome::Changed);
        }
        QVERIFY(!queue.isEmpty());
        for (const QString& file : files)
            QCOMPARE(readBytes(file), QByteArray("Berlin,Paris"));
        QCOMPARE(kept, QStringList());
        // Another program writes the third file meanwhile: it keeps that program's text.
        writeBytes(files[2], "Berlin,Lyon,and more");
        harness.prompts.answerMessage();
        queue.flush();
        QVERIFY(queue.isEmpty());
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QVERIFY2(harness.report().startsWith(files[2] + ": "), qPrintable(harness.report()));
        QVERIFY(harness.report().contains("changed"));
        QVERIFY(harness.report().contains("ReplaceTextInFileCombo at line 124"));
        QCOMPARE(failedTags.size(), 1);
        QCOMPARE(failedTags[0].first, 2);
        QCOMPARE(readBytes(files[2]), QByteArray("Berlin,Lyon,and more"));
        for (int i : {0, 1, 3, 4})
            QCOMPARE(readBytes(files[i]), QByteArray("Hamburg,Paris"));
        // No way back is kept for the file this run did not replace.
        QCOMPARE(kept, QStringList({files[0], files[1], files[3], files[4]}));
        QCOMPARE(replaced, kept);
        QCOMPARE(temporaries(m_dir.path()), QStringList());
    }

    // A power cut must never find a result on the disk without the old file
    // it replaced: every old file of a group is settled before the first
    // result takes its place, and a file committed alone likewise.
    void oldFilesAreSettledBeforeAnyResultTakesItsPlace()
    {
        EngineHarness harness;
        CommitQueue queue;
        harness.context.output.commits = &queue;
        RecordingKeeper keeper;
        harness.context.output.keeper = &keeper;
        QStringList files;
        QList<QByteArray> atSettle;
        keeper.onSettle = [&] {
            for (const QString& file : files)
                atSettle << readBytes(file);
        };
        for (int i = 0; i < 4; ++i) {
            files << path(QString("f%1.csv").arg(i));
            writeBytes(files.last(), "Berlin");
            ReplaceTextInFileCombo(files.last(), {"Berlin"}, {"Hamburg"}, harness.context);
        }
        queue.flush();
        for (const QString& file : files)
            QCOMPARE(readBytes(file), QByteArray("Hamburg"));
        QStringList keeps;
        for (const QString& file : files)
            keeps << "keep " + file;
        QCOMPARE(keeper.events.mid(0, 5), keeps + QStringList{"settle"});
        QCOMPARE(atSettle.mid(0, 4), QList<QByteArray>(4, "Berlin"));
        QCOMPARE(keeper.replacedTargets, files);

        // Alone: kept, settled, then replaced.
        keeper.events.clear();
        atSettle.clear();
        files = QStringList{path("alone.csv")};
        writeBytes(files[0], "Berlin");
        harness.context.output.commits = nullptr;
        ReplaceTextInFileCombo(files[0], {"Berlin"}, {"Hamburg"}, harness.context);
        QCOMPARE(keeper.events, QStringList({"keep " + files[0], "settle", "replaced " + files[0]}));
        QCOMPARE(atSettle, QList<QByteArray>{"Berlin"});
        QCOMPARE(readBytes(files[0]), QByteArray("Hamburg"));
    }

    void oldFilesThatCannotBeSettledLeaveTheirFilesAsTheyWere()
    {
        EngineHarness harness;
        QList<qsizetype> failedTags;
        CommitQueue queue([&](qsizetype tag, const QString&) { failedTags.append(tag); });
        harness.context.output.commits = &queue;
        RecordingKeeper keeper;
        harness.context.output.keeper = &keeper;
        keeper.onSettle = [] {
            throw Failure("its previous content could not be kept for undo: /undo/run/record: Input/output error");
        };
        QStringList files;
        for (int i = 0; i < 3; ++i) {
            files << path(QString("f%1.csv").arg(i));
            writeBytes(files.last(), "Berlin");
            harness.context.output.commitTag = i;
            ReplaceTextInFileCombo(files.last(), {"Berlin"}, {"Hamburg"}, harness.context);
        }
        for (int i = 0; i < 3; ++i)
            harness.prompts.answerMessage();
        queue.flush();
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(failedTags, QList<qsizetype>({0, 1, 2}));
        QCOMPARE(harness.prompts.shown().size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(readBytes(files[i]), QByteArray("Berlin"));
            const QString text = harness.prompts.shown()[i].text;
            QVERIFY2(text.startsWith(files[i]
                         + ": its previous content could not be kept for undo: "
                           "/undo/run/record: Input/output error"),
                qPrintable(text));
        }
        QVERIFY(keeper.replacedTargets.isEmpty());
        QCOMPARE(temporaries(m_dir.path()), QStringList());
    }

    void queueDroppedUncommittedLeavesEveryFileAsItWas()
    {
        EngineHarness harness;
        QStringList files;
        {
            CommitQueue queue;
            harness.context.output.commits = &queue;
            for (int i = 0; i < 3; ++i) {
                files << path(QString("f%1.csv").arg(i));
                writeBytes(files.last(), "Berlin");
                ReplaceTextInFileCombo(files.last(), {"Berlin"}, {"Hamburg"}, harness.context);
            }
            QCOMPARE(temporaries(m_dir.path()).size(), 3);
        }
        for (const QString& file : files)
            QCOMPARE(readBytes(file), QByteArray("Berlin"));
        QCOMPARE(temporaries(m_dir.path()), QStringList());
    }

    void queueIsFullByFilesOrBytes()
    {
        EngineHarness harness;
        CommitQueue queue({}, CommitQueue::Limits{3, 1000});
        harness.context.output.commits = &queue;
        writeBytes(path("a.csv"), "Berlin");
        ReplaceTextInFileCombo(path("a.csv"), {"Berlin"}, {"x"}, harness.context);
        QVERIFY(!queue.isFull());
        writeBytes(path("big.csv"), QByteArray("Berlin,").repeated(2000));
        ReplaceTextInFileCombo(path("big.csv"), {"Berlin"}, {"y"}, harness.context);
        QVERIFY(queue.isFull());
        queue.flush();
        QVERIFY(!queue.isFull());
        for (const char* name : {"b.csv", "c.csv", "d.csv"}) {
            writeBytes(path(name), "Berlin");
            ReplaceTextInFileCombo(path(name), {"Berlin"}, {"x"}, harness.context);
        }
        QVERIFY(queue.isFull());
        queue.flush();
        QCOMPARE(readBytes(path("d.csv")), QByteArray("x"));
        QCOMPARE(readBytes(path("big.csv")), QByteArray("y,").repeated(2000));
    }

    void sameFileTwiceWhileItsResultWaitsIsRefusedOnce()
    {
        EngineHarness harness;
        CommitQueue queue;
        TargetClaims claims;
        claims.addSource(path("a.csv"));
        harness.context.output.commits = &queue;
        harness.context.output.claims = &claims;
        writeBytes(path("a.csv"), "Berlin");
        ReplaceTextInFileCombo(path("a.csv"), {"Berlin"}, {"Hamburg"}, harness.context);
        harness.prompts.answerMessage();
        const FileOutcome second = ReplaceTextInFileCombo(path("a.csv"), {"Berlin"}, {"Bremen"}, harness.context);
        QCOMPARE(second.kind, FileOutcome::Failed);
        QVERIFY2(harness.report().contains("already written"), qPrintable(harness.report()));
        queue.flush();
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(readBytes(path("a.csv")), QByteArray("Hamburg"));
    }
};

QTEST_GUILESS_MAIN(TestInPlaceWrites)
#include "test_inplacewrites.moc"
