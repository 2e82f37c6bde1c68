#include "base/errorreport.h"
#include "filelist/filelistmodel.h"
#include "filelist/folderscan.h"

#include "support/scantree.h"
#include "support/scriptedprompts.h"

#include <QTest>

#include <cstdio>
#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// Scans reporting through scripted prompts; each scan starts afresh.
struct Scan {
    ScriptedPrompts prompts;
    ErrorReporter reporter{prompts};
    FolderScan next()
    {
        return FolderScan(reporter, [] { return true; });
    }
};

QStringList folderSetOf(const ScanTree& tree, Scan& run, const QString& start = {})
{
    QStringList set{(start.isEmpty() ? tree.root() : start) + "/"};
    FolderScan scan = run.next();
    GetSubDirectories2016(set, true, scan);
    return relative(set, tree);
}

QStringList filesOf(const ScanTree& tree, Scan& run, const QString& pattern)
{
    QStringList set{tree.root() + "/"};
    FolderScan scan = run.next();
    GetSubDirectories2016(set, true, scan);
    FileListModel list;
    GuardedProcedure proc(run.reporter, errorLocation("Form1", "PushButton3_Click"));
    AppendFilesOfFolderSet(list, set, pattern, proc, 116, scan);
    QStringList rows;
    for (int i = 1; i <= list.Count(); ++i)
        rows.append(list.Text(i));
    return relative(rows, tree);
}

// Nested folders whose names sort differently by case and by code.
void nestedTree(ScanTree& tree)
{
    tree.file("top.csv");
    tree.file("beta/b1.csv");
    tree.file("Alpha/a1.csv");
    tree.file("Alpha/deep/d.csv");
    tree.file("beta/inner/i.csv");
    tree.file("Alpha/deep/deeper/z.csv");
    tree.file("Alpha/deep/deeper/readme");
}
} // namespace

class TestFolderScan : public QObject {
    Q_OBJECT

private slots:
    void foldersComeBreadthFirstInNameOrder()
    {
        ScanTree tree;
        nestedTree(tree);
        Scan run;
        QCOMPARE(folderSetOf(tree, run),
            QStringList({"/", "/Alpha/", "/beta/", "/Alpha/deep/", "/beta/inner/", "/Alpha/deep/deeper/"}));
        QVERIFY2(run.prompts.done(), qPrintable(run.prompts.problems()));
    }

    void extensionAnswers()
    {
        ScanTree tree;
        nestedTree(tree);
        tree.file("UPPER.CSV");
        tree.file("twodots..csv");
        tree.file("noextension");
        Scan run;
        // "csv": the chosen folder's files first, then each level down.
        QCOMPARE(filesOf(tree, run, "*.csv"),
            QStringList({"/top.csv", "/twodots..csv", "/UPPER.CSV", "/Alpha/a1.csv", "/beta/b1.csv",
                "/Alpha/deep/d.csv", "/beta/inner/i.csv", "/Alpha/deep/deeper/z.csv"}));
        // "*": every file, with or without an extension.
        const QStringList all = filesOf(tree, run, "*.*");
        QCOMPARE(all.size(), 10);
        QVERIFY(all.contains("/noextension"));
        QVERIFY(all.contains("/Alpha/deep/deeper/readme"));
        // ".csv": two dots in a row, which no ordinary name has.
        QCOMPARE(filesOf(tree, run, "*..csv"), QStringList({"/twodots..csv"}));
        QVERIFY2(run.prompts.done(), qPrintable(run.prompts.problems()));
    }

    void hiddenTemporaryAndSpecialFilesAreLeftOut()
    {
        ScanTree tree;
        tree.file("keep.csv");
        tree.file("~lock.csv");
        tree.file(".hidden.csv"); // hidden + archive: left out
        tree.file(".readonly.csv"); // hidden + archive + read-only: kept
        tree.chmod(".readonly.csv", 0444);
        tree.symlink(".alias.csv", tree.path("keep.csv")); // hidden + archive + alias: kept
        tree.symlink("dangling.csv", tree.path("missing.csv"));
        tree.fifo("pipe.csv");
        tree.file(".dotfolder/inside.csv"); // hidden folders are searched
        tree.file(".dotfolder/~inner.csv");
        Scan run;
        QCOMPARE(filesOf(tree, run, "*.csv"),
            QStringList({"/.alias.csv", "/.readonly.csv", "/keep.csv", "/.dotfolder/inside.csv"}));
    }

    // A folder that cannot be read, or that may be listed but not searched
    // (read without execute permission), adds nothing and says nothing.
    void foldersThatCannotBeReadOrSearchedAreSkippedSilently()
    {
        ScanTree tree;
        tree.file("a/one.csv");
        tree.file("locked/secret.csv");
        tree.file("locked/below/deep.csv");
        tree.file("listonly/unreachable.csv");
        tree.file("listonly/.dot.csv");
        tree.file("listonly/below/deep.csv");
        tree.file("z/two.csv");
        tree.chmod("locked", 0);
        tree.chmod("listonly", 0444);
        Scan run;
        {
            WithoutAccessOverride noOverride;
            if (!noOverride.active()) {
                tree.chmod("locked", 0755);
                tree.chmod("listonly", 0755);
                QSKIP("cannot drop the access override of root");
            }
            QCOMPARE(folderSetOf(tree, run), QStringList({"/", "/a/", "/listonly/", "/z/"}));
            QCOMPARE(filesOf(tree, run, "*.*"), QStringList({"/a/one.csv", "/z/two.csv"}));
            QCOMPARE(ListFilesInFolder(tree.path("listonly"), "*.*"), QStringList());
            // A chosen folder that cannot be read leaves nothing to search.
            QCOMPARE(folderSetOf(tree, run, tree.path("locked")), QStringList());
        }
        tree.chmod("locked", 0755);
        tree.chmod("listonly", 0755);
        QVERIFY2(run.prompts.done(), qPrintable(run.prompts.problems()));
    }

    void foldersReachedTwiceAreEnteredOnce()
    {
        ScanTree tree;
        tree.file("shared/s.csv");
        tree.file("loop/l.csv");
        tree.symlink("loop/back", tree.root()); // a loop to the chosen folder
        tree.symlink("loop/self", tree.path("loop")); // a loop to its own folder
        tree.symlink("twin1", tree.path("shared"));
        tree.symlink("twin2", tree.path("shared"));
        Scan run;
        QCOMPARE(folderSetOf(tree, run), QStringList({"/", "/loop/", "/shared/"}));
        QCOMPARE(filesOf(tree, run, "*.csv"), QStringList({"/loop/l.csv", "/shared/s.csv"}));
    }

    void linkedFolderIsSearchedUnderItsLinkName()
    {
        ScanTree outside;
        outside.file("far.csv");
        ScanTree tree;
        tree.symlink("link", outside.root());
        Scan run;
        QCOMPARE(filesOf(tree, run, "*.csv"), QStringList({"/link/far.csv"}));
    }

    void unsafeFolderNamesAreSkipped()
    {
        ScanTree tree;
        tree.file("tab\tname/a.csv");
        tree.file("what?/b.csv");
        tree.file(QString::fromUtf8("résumé 日本/c.csv"));
        tree.file(QString::fromUtf8("file with é and ~ in it.csv"));
        Scan run;
        QCOMPARE(filesOf(tree, run, "*.csv"),
            QStringList({QString::fromUtf8("/file with é and ~ in it.csv"), QString::fromUtf8("/résumé 日本/c.csv")}));
    }

    void namesThatAreNotTextAreNotCarried()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("names are always text here");
#else
        ScanTree tree;
        tree.file("good.csv");
        const QByteArray root = QFile::encodeName(tree.root());
        FILE* raw = std::fopen((root + "/bad\xff.csv").constData(), "w");
        QVERIFY(raw);
        std::fclose(raw);
        QVERIFY(::mkdir((root + "/dir\xfe").constData(), 0755) == 0);
        Scan run;
        QCOMPARE(filesOf(tree, run, "*.*"), QStringList({"/good.csv"}));
        QCOMPARE(folderSetOf(tree, run), QStringList({"/"}));
        QCOMPARE(::unlink((root + "/bad\xff.csv").constData()), 0);
        QCOMPARE(::rmdir((root + "/dir\xfe").constData()), 0);
#endif
    }

    void doubledSeparatorsAreCleanedFromRows()
    {
        ScanTree tree;
        tree.file("sub/f.csv");
        Scan run;
        QStringList set{tree.root() + "//"};
        FolderScan scan = run.next();
        GetSubDirectories2016(set, true, scan);
        FileListModel list;
        GuardedProcedure proc(run.reporter, errorLocation("Form1", "ListView1_OLEDragDrop"));
        AppendFilesOfFolderSet(list, set, "*.*", proc, 106, scan);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Text(1), tree.path("sub/f.csv"));
    }

    void scanStopsWhenTheWindowCloses()
    {
        ScanTree tree;
        nestedTree(tree);
        ScriptedPrompts prompts;
        ErrorReporter reporter(prompts);
        int yields = 0;
        FolderScan scan(reporter, [&] { return ++yields < 3; });
        QStringList set{tree.root() + "/"};
        GetSubDirectories2016(set, true, scan);
        QVERIFY(scan.stopped);
        QCOMPARE(yields, 3);
        QVERIFY2(prompts.done(), qPrintable(prompts.problems()));
    }

    // A listing failure other than a refusal is reported with the
    // enumeration's own location; the folder stays in the set.
    void otherListingFailureIsReportedAndTheFolderStays()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("needs a limit on open descriptors");
#else
        ScanTree tree;
        tree.file("sub/f.csv");
        Scan run;
        run.prompts.answerMessage();
        QStringList set{tree.root() + "/"};
        {
            // Every descriptor taken: opening the folder fails with "Too many open files".
            rlimit saved{};
            QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
            const int lowestFree = ::dup(0);
            QVERIFY(lowestFree > 0);
            ::close(lowestFree);
            rlimit tight = saved;
            tight.rlim_cur = static_cast<rlim_t>(lowestFree);
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
            FolderScan scan = run.next();
            GetSubDirectories2016(set, true, scan);
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);
        }
        QCOMPARE(relative(set, tree), QStringList({"/"}));
        QCOMPARE(run.prompts.count(ShownPrompt::Message), 1);
        const ShownPrompt& report = run.prompts.shown().first();
        QCOMPARE(report.title, QString("Application Error"));
        QVERIFY2(report.text.contains("\r\nin Ravelstone2021/08/31.AddFolder.GetSubDirectories2016 at line 108\r\r"),
            qPrintable(report.text));
        QVERIFY(report.text.startsWith(systemErrorText(EMFILE)));
        QVERIFY2(run.prompts.done(), qPrintable(run.prompts.problems()));
#endif
    }

    void failureInOneFolderSkipsThatFolderOnly()
    {
        ScanTree tree;
        tree.file("a.csv");
        Scan run;
        run.prompts.answerMessage();
        FileListModel list;
        GuardedProcedure proc(run.reporter, errorLocation("Form1", "PushButton3_Click"));
        const QString tooLong = tree.root() + "/" + QString(5000, 'x') + "/";
        // Folders this scan has not read yet are read now.
        FolderScan scan = run.next();
        AppendFilesOfFolderSet(list, {tooLong, tree.root() + "/"}, "*.csv", proc, 116, scan);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Text(1), tree.path("a.csv"));
        const QString report = run.prompts.messageTexts().value(0);
        QVERIFY2(report.contains("in Quorvane2021/08/31.Form1.PushButton3_Click at line 116"), qPrintable(report));
        QVERIFY2(run.prompts.done(), qPrintable(run.prompts.problems()));
    }

    void listFilesInFolderGivesMatchingRegularFiles()
    {
        ScanTree tree;
        tree.file("b.CSV");
        tree.file("a.csv");
        tree.file("sub.csv/inside.csv");
        tree.fifo("p.csv");
        QCOMPARE(ListFilesInFolder(tree.root(), "*.csv"), QStringList({"a.csv", "b.CSV"}));
        QCOMPARE(ListFilesInFolder(tree.root() + "/", "*.txt"), QStringList());
        QCOMPARE(ListFilesInFolder(tree.path("missing"), "*.*"), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestFolderScan)
#include "test_folderscan.moc"
