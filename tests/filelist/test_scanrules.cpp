#include "filelist/dialogpicks.h"
#include "filelist/fileattributes.h"
#include "filelist/listfile.h"
#include "filelist/namerules.h"
#include "filelist/wildcard.h"

#include "support/scantree.h"

#include <QTest>

#include <algorithm>

class TestScanRules : public QObject {
    Q_OBJECT

private slots:
    void wildcardsFollowTheWindowsRules()
    {
        QVERIFY(Wildcard("*.csv").matches("data.csv"));
        QVERIFY(Wildcard("*.csv").matches("DATA.CSV"));
        QVERIFY(Wildcard("*.csv").matches("a.b.csv"));
        QVERIFY(Wildcard("*.csv").matches(".csv"));
        QVERIFY(!Wildcard("*.csv").matches("data.csvx"));
        QVERIFY(!Wildcard("*.csv").matches("datacsv"));
        QVERIFY(!Wildcard("*.csv").matches("data.cs"));
        // "*.*" matches every name, with or without a dot.
        QVERIFY(Wildcard("*.*").matches("README"));
        QVERIFY(Wildcard("*.*").matches("a.txt"));
        // ".csv" as the answer: two dots in a row before csv.
        QVERIFY(!Wildcard("*..csv").matches("data.csv"));
        QVERIFY(Wildcard("*..csv").matches("data..csv"));
        QVERIFY(Wildcard("*.c?v").matches("x.CSV"));
        QVERIFY(!Wildcard("*.c?v").matches("x.cv"));
        QVERIFY(Wildcard("*.É").matches("résumé.é"));
        QVERIFY(Wildcard("a*b*c").matches("aXbYbZc"));
        QVERIFY(!Wildcard("a*b*c").matches("aXbYbZ"));
    }

    void unsafeCharactersAreControlsAndQuestionMarks()
    {
        QVERIFY(!HasUnsafeCharacters("plain name"));
        QVERIFY(!HasUnsafeCharacters(QString::fromUtf8("résumé 日本 ~$%")));
        QVERIFY(!HasUnsafeCharacters(QString()));
        QVERIFY(HasUnsafeCharacters("tab\there"));
        QVERIFY(HasUnsafeCharacters(QString("nl") + QChar(10)));
        QVERIFY(HasUnsafeCharacters(QString("del") + QChar(0x7F)));
        QVERIFY(HasUnsafeCharacters(QString("c1") + QChar(0x9F)));
        QVERIFY(!HasUnsafeCharacters(QString("nbsp") + QChar(0xA0)));
        QVERIFY(HasUnsafeCharacters("what?"));
    }

    void lengthLimitsOfThisPlatform()
    {
        QVERIFY(nameWithinLimit(QString(255, 'n')));
        QVERIFY(!nameWithinLimit(QString(256, 'n')));
        // Counted in bytes: 128 two-byte letters make 256.
        QVERIFY(!nameWithinLimit(QString(128, QChar(0xE9))));
        QVERIFY(folderPathWithinLimit("/" + QString(4094, 'p')));
        QVERIFY(!folderPathWithinLimit("/" + QString(4095, 'p')));
    }

    void namesAreListedIgnoringCaseAsUpperCase()
    {
        QStringList names{"b.csv", "_c.csv", "A.csv", "a.csv", "B2.csv", "10.csv", "9.csv"};
        std::sort(names.begin(), names.end(), listedBefore);
        QCOMPARE(names, QStringList({"10.csv", "9.csv", "A.csv", "a.csv", "b.csv", "B2.csv", "_c.csv"}));
    }

    void driveRoots()
    {
        QVERIFY(isDriveRoot("/", '/'));
        QVERIFY(isDriveRoot("//", '/'));
        QVERIFY(!isDriveRoot("/home/", '/'));
        QVERIFY(!isDriveRoot("", '/'));
        QVERIFY(!isDriveRoot("C:/", '/'));
        QVERIFY(isDriveRoot("C:\\", '\\'));
        QVERIFY(isDriveRoot("d:\\\\", '\\'));
        QVERIFY(!isDriveRoot("C:", '\\'));
        QVERIFY(!isDriveRoot("C:\\data\\", '\\'));
    }

    void attributesMapOntoLinux()
    {
        ScanTree tree;
        tree.file("plain.csv");
        tree.file(".dot.csv");
        tree.file(".readonly.csv");
        tree.chmod(".readonly.csv", 0444);
        tree.symlink(".link.csv", tree.path("plain.csv"));
        tree.symlink("dangling", tree.path("missing"));
        tree.folder(".hiddendir");
        tree.folder("dir");
        tree.fifo("pipe");

        QCOMPARE(FileAttributes(tree.path("plain.csv")), 32);
        // A writable dot-file is hidden + archive and nothing else.
        QCOMPARE(FileAttributes(tree.path(".dot.csv")), hiddenArchiveOnly);
        QCOMPARE(FileAttributes(tree.path(".readonly.csv")), 2 + 32 + 1);
        QCOMPARE(FileAttributes(tree.path(".link.csv")), 2 + 32 + 1024);
        QCOMPARE(FileAttributes(tree.path("dangling")), 1024);
        QCOMPARE(FileAttributes(tree.path(".hiddendir")), 2 + 16);
        QCOMPARE(FileAttributes(tree.path(".hiddendir/")), 2 + 16);
        QCOMPARE(FileAttributes(tree.path("dir")), 16);
        QCOMPARE(FileAttributes(tree.path("pipe")), 0);
        QCOMPARE(FileAttributes(tree.path("missing")), -1);
        QCOMPARE(FileAttributes("/"), 16);
        QCOMPARE(FileAttributes(""), -1);
    }

    void onlyRegularFilesExist()
    {
        ScanTree tree;
        tree.file("plain.csv");
        tree.symlink("link.csv", tree.path("plain.csv"));
        tree.symlink("dangling", tree.path("missing"));
        tree.folder("dir");
        tree.fifo("pipe");
        QVERIFY(IsExistingFile(tree.path("plain.csv")));
        QVERIFY(IsExistingFile(tree.path("link.csv")));
        QVERIFY(!IsExistingFile(tree.path("dangling")));
        QVERIFY(!IsExistingFile(tree.path("dir")));
        QVERIFY(!IsExistingFile(tree.path("pipe")));
        QVERIFY(!IsExistingFile(tree.path("missing")));
        QVERIFY(!IsExistingFile(""));
        QVERIFY(!IsExistingFile("/dev/null"));
    }

    void dialogPicks()
    {
        // One pick: exactly as the dialog returned it.
        QCOMPARE(pickedFilePaths({"/data//a.csv"}, '/'), QStringList({"/data//a.csv"}));
        QCOMPARE(pickedFilePaths({}, '/'), QStringList());
        // Several picks in a drive's root: one separator after the drive.
        QCOMPARE(pickedFilePaths({"C:\\\\b.csv", "C:\\a.csv", "C:\\c.csv"}, '\\'),
            QStringList({"C:\\b.csv", "C:\\a.csv", "C:\\c.csv"}));
        QCOMPARE(pickedFilePaths({"\\\\server\\share\\a.csv", "\\\\server\\share\\\\b.csv"}, '\\'),
            QStringList({"\\\\server\\share\\a.csv", "\\\\server\\share\\b.csv"}));
        QCOMPARE(pickedFilePaths({"//a.csv", "/data//b.csv"}, '/'), QStringList({"/a.csv", "/data/b.csv"}));
    }

    void blankLinesAreEmptyOrSpacesOnly()
    {
        QVERIFY(isBlankLine(""));
        QVERIFY(isBlankLine("   "));
        QVERIFY(!isBlankLine("\t"));
        QVERIFY(!isBlankLine(" \t "));
        QVERIFY(!isBlankLine(QString(QChar(0xA0))));
        QVERIFY(!isBlankLine("  a  "));
    }
};

QTEST_GUILESS_MAIN(TestScanRules)
#include "test_scanrules.moc"
