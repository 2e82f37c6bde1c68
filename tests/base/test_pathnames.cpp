// Path names with the backslash as written for Windows and with the slash of
// this platform.
#include "base/pathnames.h"

#include <QTest>

class TestPathNames : public QObject {
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
        QTest::newRow("plain") << "C:\\Out\\a.csv"
                               << "C:\\Out\\a.csv";
        QTest::newRow("doubled") << "C:\\Out\\\\a.csv"
                                 << "C:\\Out\\a.csv";
        QTest::newRow("three become two") << "C:\\Out\\\\\\a.csv"
                                          << "C:\\Out\\\\a.csv";
        QTest::newRow("four become two") << "C:\\Out\\\\\\\\a.csv"
                                         << "C:\\Out\\\\a.csv";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one leading gains one") << "\\a.csv"
                                               << "\\\\a.csv";
        QTest::newRow("network kept") << "\\\\server\\share\\\\a.csv"
                                      << "\\\\server\\share\\a.csv";
        QTest::newRow("four leading lose two") << "\\\\\\\\server\\a"
                                               << "\\\\server\\a";
        QTest::newRow("only separators") << "\\\\\\"
                                         << "\\\\";
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
};

QTEST_GUILESS_MAIN(TestPathNames)
#include "test_pathnames.moc"
