// The engine entries on sources held in memory: a read that fails in the
// middle of a file is reported with its text and leaves no result behind,
// whatever the chunk size and wherever the failure falls.
#include "engine/replace/replacetext.h"

#include "support/chunkcompare.h"
#include "support/engineharness.h"
#include "support/enginetestfiles.h"
#include "support/memorysource.h"
#include "support/scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestReplaceMemory : public QObject {
    Q_OBJECT

private slots:
    void readFailingMidFileCommitsNothing()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("a.csv");
        const QString target = dir.filePath("out/a.csv");
        QDir().mkpath(dir.filePath("out"));
        const QByteArray bytes = QByteArray("x,y\r\n").repeated(40000);
        for (qsizetype chunkSize : fileChunkSizes) {
            for (qint64 failAt : {qint64(0), qint64(7), qint64(bytes.size() - 1)}) {
                if (chunkSize < 4 && failAt > 7)
                    continue; // the same edge, at a cost of minutes
                const QString label = QStringLiteral("chunk size %1, read fails at byte %2").arg(chunkSize).arg(failAt);
                EngineHarness harness(dir.filePath("out"));
                ScriptedPrompts& prompts = harness.prompts;
                EngineContext& context = harness.context;
                context.chunkSize = chunkSize;
                context.openSource = [&](const QString& path) {
                    return std::make_unique<MemorySource>(bytes, failAt, "Input/output error", path);
                };
                prompts.answerMessage();
                ReplaceTextInFileCombo(source, {"x"}, {"z"}, context);
                QVERIFY2(prompts.done(), qPrintable(label + ": " + prompts.problems()));
                const QString report = prompts.shown().isEmpty() ? QString() : prompts.shown().first().text;
                QVERIFY2(report.startsWith("Input/output error"), qPrintable(label + ": " + report));
                QVERIFY2(!QFile::exists(target), qPrintable(label));
                QVERIFY2(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden).isEmpty(), qPrintable(label));
            }
        }
    }

    void sourceInMemoryIsReplacedAtEveryChunkSize()
    {
        QTemporaryDir dir;
        const QString text = QString::fromUtf8("Berlin,K\xC3\xB6ln\r\nBerl") + "in,x\r\n";
        for (TextEncoding encoding : allEncodings()) {
            for (qsizetype chunkSize : fileChunkSizes) {
                const QString label = QStringLiteral("chunk size %1, %2").arg(chunkSize).arg(encodingLabel(encoding));
                EngineHarness harness(dir.path());
                ScriptedPrompts& prompts = harness.prompts;
                EngineContext& context = harness.context;
                context.chunkSize = chunkSize;
                const QByteArray bytes
                    = referenceBytes(encoding == TextEncoding::Windows1252 ? text + QChar(0xE9) : text, encoding);
                context.openSource
                    = [&](const QString& path) { return std::make_unique<MemorySource>(bytes, -1, QString(), path); };
                ReplaceTextInFileCombo("a.csv", {"Berlin", ",x"}, {"Hamburg", ""}, context);
                QVERIFY2(prompts.done(), qPrintable(label + ": " + prompts.problems()));
                const QString expected
                    = replacedWholeText(encoding == TextEncoding::Windows1252 ? text + QChar(0xE9) : text,
                        {"Berlin", ",x"}, {"Hamburg", ""});
                QVERIFY2(readBytes(dir.filePath("a.csv")) == referenceBytes(expected, encoding), qPrintable(label));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestReplaceMemory)
#include "test_replacememory.moc"
