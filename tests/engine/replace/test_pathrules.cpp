// Path rules with the backslash as written for Windows and with the slash of
// this platform; the target path of each destination; the file tests.
#include "engine/batchrun/filetests.h"
#include "engine/replace/pathrules.h"
#include "engine/replace/replacetext.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestPathRules : public QObject {
    Q_OBJECT

private slots:
    void folderPath()
    {
        QCOMPARE(GetFolderPath("D:\\data\\a.csv", '\\'), QString("D:\\data\\"));
        QCOMPARE(GetFolderPath("a.csv", '\\'), QString());
        QCOMPARE(GetFolderPath("\\\\server\\a.csv", '\\'), QString("\\\\server\\"));
        QCOMPARE(GetFolderPath("/home/u/a.csv"), QString("/home/u/"));
        QCOMPARE(GetFolderPath("/a.csv"), QString("/"));
        QCOMPARE(GetFolderPath(""), QString());
    }

    void normalizeBackslash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("plain") << "C:\\Out\\a.csv" << "C:\\Out\\a.csv";
        QTest::newRow("doubled") << "C:\\Out\\\\a.csv" << "C:\\Out\\a.csv";
        QTest::newRow("three become two") << "C:\\Out\\\\\\a.csv" << "C:\\Out\\\\a.csv";
        QTest::newRow("four become two") << "C:\\Out\\\\\\\\a.csv" << "C:\\Out\\\\a.csv";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("one leading gains one") << "\\a.csv" << "\\\\a.csv";
        QTest::newRow("network kept") << "\\\\server\\share\\\\a.csv" << "\\\\server\\share\\a.csv";
        QTest::newRow("four leading lose two") << "\\\\\\\\server\\a" << "\\\\server\\a";
        QTest::newRow("only separators") << "\\\\\\" << "\\\\";
    }

    void normalizeBackslash()
    {
        QFETCH(QString, path);
        QFETCH(QString, normalized);
        QCOMPARE(NormalizePath(path, '\\'), normalized);
    }

    void normalizeSlashKeepsOneRoot()
    {
        QCOMPARE(NormalizePath("/home//u///a.csv"), QString("/home/u//a.csv"));
        QCOMPARE(NormalizePath("//home/u/a.csv"), QString("/home/u/a.csv"));
        QCOMPARE(NormalizePath("////"), QString("/"));
        QCOMPARE(NormalizePath("out//a.csv"), QString("out/a.csv"));
    }

    void targetPaths()
    {
        Destination folder{true, false, "C:\\Out\\"};
        QCOMPARE(resultTargetPath("D:\\data\\a.csv", folder, '\\'), QString("C:\\Out\\a.csv"));
        folder.outputFolder = "C:\\Out";
        QCOMPARE(resultTargetPath("D:\\data\\a.csv", folder, '\\'), QString("C:\\Out\\a.csv"));
        folder.outputFolder = "\\\\server\\out";
        QCOMPARE(resultTargetPath("D:\\data\\a.csv", folder, '\\'), QString("\\\\server\\out\\a.csv"));
        const Destination beside{false, true, "ignored"};
        QCOMPARE(resultTargetPath("D:\\data\\a.csv", beside, '\\'), QString("D:\\data\\a.csv"));
        QCOMPARE(resultTargetPath("\\\\server\\d\\a.csv", beside, '\\'), QString("\\\\server\\d\\a.csv"));
        QCOMPARE(resultTargetPath("/srv/data/a.csv", Destination{true, false, "/out/"}), QString("/out/a.csv"));
        QCOMPARE(resultTargetPath("/srv/data/a.csv", beside), QString("/srv/data/a.csv"));
        QCOMPARE(resultTargetPath("a.csv", beside), QString("a.csv"));
        QVERIFY_THROWS_EXCEPTION(Failure, resultTargetPath("/a.csv", Destination{false, false, "/out"}));
    }

    void lineBreakSplit()
    {
        QCOMPARE(splitAtLineBreaks(""), QStringList{});
        QCOMPARE(splitAtLineBreaks("a"), QStringList{"a"});
        QCOMPARE(splitAtLineBreaks("a\r\n"), (QStringList{"a", ""}));
        QCOMPARE(splitAtLineBreaks("a\nb\r\nc"), (QStringList{"a\nb", "c"}));
    }

    void fileTestsNeverThrowNorBlock()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("f.csv");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("12345");
        out.close();
        QVERIFY(QFile::link(dir.path(), dir.filePath("link")));
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo), 0600), 0);

        QVERIFY(FolderExists(dir.path()));
        QVERIFY(FolderExists(dir.filePath("link")));
        QVERIFY(!FolderExists(file));
        QVERIFY(!FolderExists(dir.filePath("missing")));
        QVERIFY(!FolderExists(""));

        QCOMPARE(FileSize2(file), qint64(5));
        QCOMPARE(FileSize2(dir.filePath("missing")), qint64(-1));
        QCOMPARE(FileSize2(dir.path()), qint64(-1));
        QCOMPARE(FileSize2(fifo), qint64(-1));
        QCOMPARE(FileSize2(""), qint64(-1));
    }
};

QTEST_GUILESS_MAIN(TestPathRules)
#include "test_pathrules.moc"
