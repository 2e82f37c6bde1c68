// The engine entries on sources held in memory: a read that fails in the
// middle of a file is reported with its text and leaves no result behind,
// whatever the chunk size and wherever the failure falls.
#include "engine/replace/replacetext.h"

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
        for (int chunkSize : {1, 2, 3, 65536}) {
            for (qint64 failAt : {qint64(0), qint64(7), qint64(bytes.size() - 1)}) {
                if (chunkSize < 4 && failAt > 7)
                    continue; // the same edge, at a cost of minutes
                const QString label = QStringLiteral("chunk size %1, read fails at byte %2").arg(chunkSize).arg(failAt);
                ScriptedPrompts prompts;
                ErrorReporter reporter(prompts);
                EngineContext context{reporter, {}, {[&] {
                                          return Destination{true, false, dir.filePath("out")};
                                      }},
                    chunkSize};
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
            for (int chunkSize : {1, 2, 3, 6, 65536}) {
                const QString label = QStringLiteral("chunk size %1, %2").arg(chunkSize).arg(encodingLabel(encoding));
                ScriptedPrompts prompts;
                ErrorReporter reporter(prompts);
                EngineContext context{reporter, {}, {[&] { return Destination{true, false, dir.path()}; }}, chunkSize};
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
