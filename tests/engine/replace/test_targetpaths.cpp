// The target path of each destination, with the backslash as written for
// Windows and with the slash of this platform; the folder and source probes.
#include "base/folderprobes.h"
#include "engine/replace/replacetext.h"
#include "engine/textfile/sourceprobes.h"

#include "support/specialfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTargetPaths : public QObject {
    Q_OBJECT

private slots:
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
        const bool haveFifo = makeFifo(fifo);

        QVERIFY(FolderExists(dir.path()));
        QVERIFY(FolderExists(dir.filePath("link")));
        QVERIFY(!FolderExists(file));
        QVERIFY(!FolderExists(dir.filePath("missing")));
        QVERIFY(!FolderExists(""));

        QCOMPARE(FileSize2(file), qint64(5));
        QCOMPARE(FileSize2(dir.filePath("missing")), qint64(-1));
        QCOMPARE(FileSize2(dir.path()), qint64(-1));
        if (haveFifo)
            QCOMPARE(FileSize2(fifo), qint64(-1));
        QCOMPARE(FileSize2(""), qint64(-1));
    }
};

QTEST_GUILESS_MAIN(TestTargetPaths)
#include "test_targetpaths.moc"
