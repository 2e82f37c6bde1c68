// Whole runs with the real engine over files that meet: sources of one name
// sent to one output folder, a listed source inside the output folder, a file
// listed twice, and files of 2 GiB and more on the single tab.
#include "engine/batchrun/batchrun.h"
#include "engine/textfile/sourceprobes.h"
#include "engine/widgets/batchrunboxes.h"

#include "support/enginetestfiles.h"
#include "support/fakebatchrunwindow.h"
#include "support/scriptedprompts.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A file of this size, all holes but for its last bytes.
void writeSparse(const QString& path, qint64 size, const QByteArray& tail)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::ftruncate(fd, size), 0);
    QCOMPARE(::pwrite(fd, tail.constData(), size_t(tail.size()), size - tail.size()), ssize_t(tail.size()));
    ::close(fd);
}

} // namespace

class TestRunCollisions : public QObject {
    Q_OBJECT

    ScriptedPrompts prompts;
    PromptedBatchRunBoxes boxes{prompts};
    ErrorReporter reporter{prompts};
    WindowPointer pointer;
    FakeBatchRunWindow window;
    bool closing = false;
    WindowServices services{prompts, reporter, pointer, {}, [] {}, [this] { return closing; }};
    std::unique_ptr<QTemporaryDir> dir;

    QString path(const QString& name) const { return dir->filePath(name); }
    QString file(const QString& name, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path(name)).path());
        writeBytes(path(name), bytes);
        return path(name);
    }
    QStringList reports() const
    {
        QStringList texts = prompts.messageTexts();
        texts.removeAll("Done.");
        for (QString& text : texts)
            text = text.section("\r\n", 0, 0);
        return texts;
    }

private slots:
    void init()
    {
        prompts.clear();
        prompts.setApplicationTitle("Tallowmere");
        window = FakeBatchRunWindow{};
        window.find = "Berlin";
        window.replace = "Hamburg";
        window.finds = {"Berlin"};
        window.replaces = {"Hamburg"};
        closing = false;
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path("out")));
    }
    void cleanup() { QVERIFY2(prompts.done(), qPrintable(prompts.problems())); }

    void sourcesOfOneNameFromManyFoldersGiveOneResultTheOthersReported()
    {
        window.where = {true, false, path("out")};
        for (int folder = 0; folder < 10; ++folder) {
            for (int name = 0; name < 5; ++name)
                window.rows << file(
                    QString("in%1/f%2.csv").arg(folder).arg(name), QString("Berlin,%1\n").arg(folder).toUtf8());
        }
        for (int i = 0; i < 45; ++i)
            prompts.answerMessage();
        prompts.answerMessage();
        run();
        const QStringList texts = reports();
        QCOMPARE(texts.size(), 45);
        for (const QString& text : texts)
            QVERIFY2(
                text.startsWith(path("out/f")) && text.contains(": the result of " + path("in")), qPrintable(text));
        QCOMPARE(prompts.messageTexts().last(), QString("Done."));
        // The first source of each name wrote its result; no source was touched.
        for (int name = 0; name < 5; ++name)
            QCOMPARE(readBytes(path(QString("out/f%1.csv").arg(name))), QByteArray("Hamburg,0\n"));
        for (int folder = 0; folder < 10; ++folder)
            QCOMPARE(readBytes(path(QString("in%1/f0.csv").arg(folder))), QString("Berlin,%1\n").arg(folder).toUtf8());
        QCOMPARE(entriesOf(path("out")).size(), 5);
    }

    void listedSourceInOutputFolderIsNotOverwrittenBeforeItIsRead()
    {
        window.where = {true, false, path("out")};
        window.rows << file("in/a.csv", "Berlin,in\n") << file("out/a.csv", "Berlin,out\n");
        prompts.answerMessage().answerMessage();
        run();
        QCOMPARE(reports(),
            QStringList{path("out/a.csv") + ": the result of " + path("in/a.csv")
                + " was not written here, as this file is itself in the list"});
        QCOMPARE(readBytes(path("in/a.csv")), QByteArray("Berlin,in\n"));
        // Its own result, in its own place.
        QCOMPARE(readBytes(path("out/a.csv")), QByteArray("Hamburg,out\n"));
        QCOMPARE(entriesOf(path("out")), QStringList{"a.csv"});
    }

    // Listed again by the same path, by another path to it, or by another
    // hard link: worked on once, without a box, in both destinations.
    void fileListedTwiceIsWorkedOnOnceWithoutABox_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("in place") << true;
        QTest::newRow("to an output folder") << false;
    }
    void fileListedTwiceIsWorkedOnOnceWithoutABox()
    {
        QFETCH(bool, inPlace);
        if (!inPlace)
            window.where = {true, false, path("out")};
        const QString a = file("a.csv", "Berlin\n");
        QVERIFY(QDir().mkpath(path("sub")));
        QVERIFY(::link(QFile::encodeName(a).constData(), QFile::encodeName(path("a-hard.csv")).constData()) == 0);
        window.rows << a << file("b.csv", "Berlin\n") << a << path("sub/../a.csv") << path("a-hard.csv");
        window.replaces = {"Berlin Berlin"};
        prompts.answerMessage();
        run();
        QCOMPARE(prompts.messageTexts(), QStringList{"Done."});
        const QString details = prompts.lastDetails();
        QVERIFY2(details.startsWith("2 files changed (2 replacements), 0 unchanged, 3 skipped, 0 failed"),
            qPrintable(details));
        for (const QString& again : {a, path("sub/../a.csv"), path("a-hard.csv")})
            QVERIFY2(details.contains("\nskipped, listed before (row 1): " + again + "\n"), qPrintable(details));
        QCOMPARE(readBytes(inPlace ? a : path("out/a.csv")), QByteArray("Berlin Berlin\n"));
        QCOMPARE(entriesOf(path("out")), inPlace ? QStringList() : QStringList({"a.csv", "b.csv"}));
    }

    void filesOfTwoGiBAndMoreAreNotSkippedOnTheSingleTab_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("2 GiB") << (qint64(2) << 30);
        QTest::newRow("3 GiB") << (qint64(3) << 30);
        QTest::newRow("4 GiB exactly") << (qint64(4) << 30);
    }
    void filesOfTwoGiBAndMoreAreNotSkippedOnTheSingleTab()
    {
        QFETCH(qint64, size);
        const QString big = path("big.csv");
        writeSparse(big, size, "Berlin\n");
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(FileSize2(big), size);
        // The engine starts on it; the window is closed at its first yield,
        // which leaves the file as it was (a whole pass would write gigabytes).
        window.tab = 0;
        window.rows << big;
        int yields = 0;
        services.yield = [&] { closing = ++yields >= 2; };
        run();
        QCOMPARE(yields, 2);
        QCOMPARE(QFileInfo(big).size(), size);
        QCOMPARE(entriesOf(dir->path()), QStringList({"big.csv", "out"}));
        services.yield = [] {};
    }

private:
    void run()
    {
        BatchRun batch(window, services, boxes);
        batch.PushButton12_Click();
    }
};

QTEST_GUILESS_MAIN(TestRunCollisions)
#include "test_runcollisions.moc"
