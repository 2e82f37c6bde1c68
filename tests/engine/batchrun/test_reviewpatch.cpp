// "Save as Patch...": the patch applies with `patch -p1` and `git apply` to
// copies of the sources and gives, byte for byte, what the run writes: CR LF,
// lone CR, no last line break, Windows-1252, names with spaces, files in
// sub-folders; UTF-16 text is named at its top and left out.
#include "engine/batchrun/batchrun.h"
#include "engine/output/unifieddiff.h"

#include "support/batchrunfixture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

const QList<std::pair<QString, QByteArray>> sources{
    {"a.csv", "id,city\r\n1,Berlin\r\n2,Paris\r\n3,Rome\r\n4,Oslo\r\n5,Bern\r\n6,Lima\r\n7,Kiev\r\n8,Berlin"},
    {"sub/b c.csv", "Berlin\rParis\rBerlin\r"},
    {"sub/deeper/w.csv", "K\xF6ln,Berlin\n"},
    {"u16.csv", QByteArray("\xFF\xFE", 2) + QByteArray("B\0e\0r\0l\0i\0n\0\n\0x\0\n\0", 18)},
    {"unchanged.csv", "Paris\n"},
    {"joined.csv", "Berlin\nBerlin\n\nBerlin\n"},
};

bool run(const QString& program, const QStringList& arguments, const QString& folder, QString& output)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return false;
    output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class TestReviewPatch : public QObject {
    Q_OBJECT

    BatchRunFixture f;

    void copyTree(const QString& to)
    {
        for (const auto& [name, bytes] : sources) {
            QDir().mkpath(QFileInfo(to + "/" + name).path());
            writeBytes(to + "/" + name, bytes);
        }
    }

private slots:
    void init()
    {
        f.startWithSetsTab();
        f.window.finds = {"Berlin", "\n\n"};
        f.window.replaces = {"Hamburg", "\n"};
    }
    void cleanup() { QVERIFY2(f.prompts.done(), qPrintable(f.prompts.problems())); }

    void appliesWithPatchAndGitToWhatTheRunWrites()
    {
        const QString src = f.path("src");
        copyTree(src);
        for (const auto& source : sources)
            f.window.rows.append(QDir::toNativeSeparators(src + "/" + source.first));
        const ReviewResult result = f.run->review();
        QList<ReviewedSource> files;
        for (const ReviewedRow& row : result.rows) {
            if (row.outcome.kind == FileOutcome::Changed)
                files.append({row.path, row.review.source});
        }
        QCOMPARE(files.size(), 5);
        const QString patchPath = f.path("changes.patch");
        const SavedPatch saved = f.run->savePatch(patchPath, files);
        QVERIFY(saved.saved);
        QCOMPARE(saved.folder, src);
        QCOMPARE(saved.leftOut,
            QStringList{"not included, as it is UTF-16 or UTF-32 text: " + QDir::toNativeSeparators(src + "/u16.csv")});
        QVERIFY(readBytes(patchPath).startsWith("# Not included (UTF-16 or UTF-32 text): u16.csv\ndiff --git a/a.csv"));
        f.prompts.answerMessage();
        f.run->runReviewed(files);

        const QStringList tools{"patch", "git"};
        for (const QString& tool : tools) {
            const QString program = QStandardPaths::findExecutable(tool);
            if (program.isEmpty()) {
                qWarning("%s is not installed: its application is not tested", qPrintable(tool));
                continue;
            }
            const QString copy = f.path("with-" + tool);
            copyTree(copy);
            QString output;
            const QStringList arguments
                = tool == "patch" ? QStringList{"-p1", "--binary", "-i", patchPath} : QStringList{"apply", patchPath};
            QVERIFY2(run(program, arguments, copy, output), qPrintable(tool + ": " + output));
            for (const auto& [name, bytes] : sources) {
                const QByteArray expected = name == "u16.csv" ? bytes : readBytes(src + "/" + name);
                QVERIFY2(readBytes(copy + "/" + name) == expected, qPrintable(tool + " " + name));
            }
        }
    }

    void leavesOutAFileChangedSinceTheReview()
    {
        const QString a = f.addFile("a.csv", "Berlin\n");
        const QString b = f.addFile("b.csv", "Berlin\n");
        const ReviewResult result = f.run->review();
        writeBytes(a, "Berlin\nBerlin\n");
        const SavedPatch saved = f.run->savePatch(
            f.path("p.patch"), {{a, result.rows[0].review.source}, {b, result.rows[1].review.source}});
        QCOMPARE(saved.leftOut, QStringList{"changed since the review: " + a});
        QCOMPARE(readBytes(f.path("p.patch")),
            QByteArray("diff --git a/b.csv b/b.csv\n--- a/b.csv\n+++ b/b.csv\n@@ -1,1 +1,1 @@\n-Berlin\n+Hamburg\n"));
    }

    void hunksKeepThreeLinesOfContextAndMeetWhenClose()
    {
        QByteArray before;
        QByteArray after;
        for (int n = 1; n <= 20; ++n) {
            before += QByteArray::number(n) + "\n";
            after += n == 2 ? "two\n" : n == 9 ? "nine\n" : n == 20 ? "twenty" : QByteArray::number(n) + "\n";
        }
        QCOMPARE(unifiedDiff(before, after, "n.txt"),
            QByteArray("diff --git a/n.txt b/n.txt\n--- a/n.txt\n+++ b/n.txt\n"
                       "@@ -1,12 +1,12 @@\n 1\n-2\n+two\n 3\n 4\n 5\n 6\n 7\n 8\n-9\n+nine\n 10\n 11\n 12\n"
                       "@@ -17,4 +17,4 @@\n 17\n 18\n 19\n-20\n+twenty\n\\ No newline at end of file\n"));
        QCOMPARE(unifiedDiff("x\n", "", "gone.txt"),
            QByteArray("diff --git a/gone.txt b/gone.txt\n--- a/gone.txt\n+++ b/gone.txt\n@@ -1,1 +0,0 @@\n-x\n"));
        QVERIFY(unifiedDiff("same", "same", "s").isEmpty());
        QVERIFY(unifiedDiff("a\n", "b\n", "a b.txt").startsWith("diff --git a/a b.txt b/a b.txt\n--- a/a b.txt\t\n"));
    }
};

QTEST_GUILESS_MAIN(TestReviewPatch)
#include "test_reviewpatch.moc"
