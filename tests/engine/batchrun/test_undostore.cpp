// The way back from a run, with the real engine writing through the undo
// hook: bytes, permission bits and links come back after an in-place run,
// created results go after an output-folder run, a file changed since is left
// alone, and a kept copy stands in where no hard link can be made.
#include "engine/batchrun/undostore.h"

#include "support/batchrunfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#if defined(Q_OS_UNIX)
#endif
} // namespace

class TestUndoStore : public QObject, BatchRunFixture {
    Q_OBJECT

    void noLinks() { run->undoStore().setLinking(false); }
    // The old files kept in every run's undo folder.
    QStringList keptFiles() const
    {
        QStringList files;
        const QDir undo(state->filePath("undo"));
        for (const QString& runFolder : undo.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            for (const QString& name : QDir(undo.filePath(runFolder)).entryList(QDir::Files | QDir::Hidden))
                if (name != "record")
                    files << runFolder + "/" + name;
        }
        return files;
    }
    // Rows alternating between the folder and a subfolder, each file "a".
    QStringList addFilesInTwoFolders(int count)
    {
        QDir().mkpath(path("sub"));
        QStringList files;
        for (int i = 0; i < count; ++i)
            files << addFile(QString(i % 2 ? "sub/f%1.csv" : "f%1.csv").arg(i), "a");
        return files;
    }
    QStringList leftovers() const
    {
        return QDir(dir->path()).entryList({"*tallowmere-tmp-*"}, QDir::Files | QDir::Hidden)
            + QDir(path("sub")).entryList({"*tallowmere-tmp-*"}, QDir::Files | QDir::Hidden);
    }

private slots:
    void init() { startWithSetsTab(); }
    void cleanup() { QVERIFY2(prompts.done(), qPrintable(prompts.problems())); }

    void inPlaceRunComesBackWithBytesPermissionsAndLinks_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::newRow("hard link kept") << true;
        QTest::newRow("copy kept") << false;
    }
    void inPlaceRunComesBackWithBytesPermissionsAndLinks()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("permission bits, hard links and inodes are POSIX matters");
#else
        QFETCH(bool, linked);
        if (!linked)
            noLinks();
        const QString a = addFile("a.csv", "a,a\r\n");
        const QString b = addFile("b.csv", "a");
        addFile("untouched.csv", "z");
        ::chmod(QFile::encodeName(a).constData(), 0640);
        QVERIFY(QFile::link(a, path("a-link.csv")));
        QVERIFY(::link(QFile::encodeName(b).constData(), QFile::encodeName(path("b-hard.csv")).constData()) == 0);
        const struct stat before = statOf(a);
        const ino_t bInode = statOf(b).st_ino;

        replaceRun("a", "x");
        QVERIFY(prompts.lastDetails().endsWith("\nCtrl+Z undoes this run."));
        QCOMPARE(readBytes(a), QByteArray("x,x\r\n"));
        // A file with other hard links takes the result in itself: its other names see it.
        QCOMPARE(readBytes(path("b-hard.csv")), QByteArray("x"));
        QCOMPARE(statOf(b).st_ino, bInode);
        const QFileInfo undoFolder(state->filePath("undo"));
        QCOMPARE(int(statOf(undoFolder.filePath()).st_mode & 0777), 0700);

        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().mid(1),
            QStringList({"Undo the last run? 2 files will be restored.", "The last run is undone."}));
        QCOMPARE(readBytes(a), QByteArray("a,a\r\n"));
        QCOMPARE(readBytes(b), QByteArray("a"));
        // ... and gets its old bytes back in itself, so its other names do too.
        QCOMPARE(readBytes(path("b-hard.csv")), QByteArray("a"));
        QCOMPARE(statOf(b).st_ino, bInode);
        QCOMPARE(readBytes(path("untouched.csv")), QByteArray("z"));
        QCOMPARE(int(statOf(a).st_mode & 07777), 0640);
        QCOMPARE(statOf(a).st_mtim.tv_sec, before.st_mtim.tv_sec);
        QVERIFY(QFileInfo(path("a-link.csv")).isSymLink());
        QCOMPARE(readBytes(path("a-link.csv")), QByteArray("a,a\r\n"));
        if (linked) {
            // The very file comes back: its other names share it again.
            QCOMPARE(statOf(a).st_ino, before.st_ino);
        }
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 5);
        // The old files are gone with a successful undo.
        QCOMPARE(keptFiles(), QStringList());
        prompts.answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), QString("There is no run to undo."));
#endif
    }

    void outputFolderRunIsUndoneByRemovingWhatItCreated()
    {
        QDir().mkpath(path("out"));
        addFile("a.csv", "a");
        addFile("b.csv", "b");
        writeBytes(path("out/b.csv"), "older result");
        window.where = {true, false, path("out")};
        replaceRun("a", "x");
        QCOMPARE(readBytes(path("out/a.csv")), QByteArray("x"));
        QCOMPARE(readBytes(path("out/b.csv")), QByteArray("b"));

        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QVERIFY(!QFileInfo::exists(path("out/a.csv")));
        QCOMPARE(readBytes(path("out/b.csv")), QByteArray("older result"));
        QCOMPARE(readBytes(path("a.csv")), QByteArray("a"));
    }

    // The file left alone heads the details, though it is undone last.
    void fileChangedSinceTheRunIsLeftAloneAndReported()
    {
        const QString b = addFile("b.csv", "a");
        const QString a = addFile("a.csv", "a");
        replaceRun("a", "x");
        writeBytes(b, "edited by hand");

        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(
            prompts.messageTexts().last(), QString("The last run is undone, except for 1 file (see the details)."));
        QVERIFY2(prompts.lastDetails().startsWith("not touched, changed since the run: " + QDir::toNativeSeparators(b)),
            qPrintable(prompts.lastDetails()));
        QCOMPARE(readBytes(a), QByteArray("a"));
        QCOMPARE(readBytes(b), QByteArray("edited by hand"));
    }

    void countOnlyKeepsTheWayBackAndEachRunHasItsOwn()
    {
        const QString a = addFile("a.csv", "a");
        replaceRun("a", "b");
        prompts.answerMessage();
        run->countMatches();
        QCOMPARE(run->undoStore().fileCount(), 1);
        replaceRun("b", "c");
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(readBytes(a), QByteArray("b"));
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(readBytes(a), QByteArray("a"));
    }

    // A start refused by an input check and a run that writes nothing
    // leave the last run's way back as it was.
    void refusedStartAndRunThatWritesNothingKeepTheWayBack()
    {
        const QString a = addFile("a.csv", "a");
        replaceRun("a", "b");
        window.tab = 0;
        prompts.answerMessage();
        run->PushButton12_Click();
        QCOMPARE(prompts.messageTexts().last(), QString("You forgot to input find what."));
        window.tab = 1;
        replaceRun("nowhere", "z");
        QVERIFY(!prompts.lastDetails().contains("Ctrl+Z"));
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().mid(prompts.messageTexts().size() - 2),
            QStringList({"Undo the last run? 1 file will be restored.", "The last run is undone."}));
        QCOMPARE(readBytes(a), QByteArray("a"));
    }

    void answeringNoKeepsTheRunAndItsWayBack()
    {
        const QString a = addFile("a.csv", "a");
        replaceRun("a", "b");
        prompts.answerMessage(Answer::No);
        run->undoLastRun();
        QCOMPARE(readBytes(a), QByteArray("b"));
        QCOMPARE(run->undoStore().fileCount(), 1);
    }

    // Two sources of one name into one folder: the second result is refused,
    // and undo takes the first back to what the folder held before the run.
    void sameNameTwiceIntoOneFolderGoesBackToBeforeTheRun()
    {
        QDir().mkpath(path("one"));
        QDir().mkpath(path("two"));
        QDir().mkpath(path("out"));
        addFile("one/d.csv", "first");
        addFile("two/d.csv", "second");
        writeBytes(path("out/d.csv"), "before");
        window.where = {true, false, path("out")};
        prompts.answerMessage(); // the refused second result
        replaceRun("s", "S");
        QVERIFY(prompts.messageTexts().first().contains(QDir::toNativeSeparators(path("two/d.csv"))));
        QCOMPARE(readBytes(path("out/d.csv")), QByteArray("firSt"));
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().at(2), QString("Undo the last run? 1 file will be restored."));
        QCOMPARE(readBytes(path("out/d.csv")), QByteArray("before"));
    }

    // Another file system: /dev/shm when it is one, else links refused.
    void acrossTwoFileSystemsTheKeptCopyRestores()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("devices and permission bits are POSIX matters");
#else
        QTemporaryDir shm("/dev/shm/tallowmere-undo-XXXXXX");
        const bool otherDevice = shm.isValid() && statOf(shm.path()).st_dev != statOf(dir->path()).st_dev;
        if (otherDevice)
            run = std::make_unique<BatchRun>(window, services, boxes, ReplaceEntries{}, BatchRunOptions{shm.path()});
        else
            noLinks();
        const QString a = addFile("a.csv", QByteArray(200000, 'a'));
        ::chmod(QFile::encodeName(a).constData(), 0604);
        replaceRun("a", "b");
        QCOMPARE(readBytes(a), QByteArray(200000, 'b'));
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), QString("The last run is undone."));
        QCOMPARE(readBytes(a), QByteArray(200000, 'a'));
        QCOMPARE(int(statOf(a).st_mode & 07777), 0604);
#endif
    }

    void undoFolderThatCannotBeMadeRunsWithoutAWayBackAndSaysSo()
    {
        writeBytes(state->filePath("undo"), "a file in the folder's place");
        run = std::make_unique<BatchRun>(
            window, services, boxes, ReplaceEntries{}, BatchRunOptions{state->filePath("undo/deeper")});
        const QString a = addFile("a.csv", "a");
        replaceRun("a", "b");
        QCOMPARE(readBytes(a), QByteArray("b"));
        QVERIFY2(prompts.lastDetails().contains("\nUndo is not available for this run: "),
            qPrintable(prompts.lastDetails()));
    }

    // Temporary files made ahead for a folder of many results in place are
    // gone by the time the run says it has ended, not when the box closes.
    void noTemporaryIsLeftWhileTheClosingBoxWaits()
    {
        window.where = {false, true, {}};
        for (int i = 0; i < 40; ++i)
            addFile(QString("f%1.csv").arg(i), "a");
        window.finds = {"a"};
        window.replaces = {"b"};
        QStringList during{"not looked at"};
        prompts.answerMessage().duringLast([&] { during = leftovers(); });
        run->PushButton12_Click();
        QCOMPARE(prompts.messageTexts().last(), QString("Done."));
        QCOMPARE(during, QStringList());
    }

    // More files than one group of results in place: groups are committed
    // while later files are worked on, in two folders, and every file still
    // comes back; the run before it is set aside and then removed.
    void groupedRunInTwoFoldersComesBackWhole()
    {
        window.where = {false, true, {}};
        const QStringList files = addFilesInTwoFolders(150);
        replaceRun("a", "b");
        replaceRun("b", "c");
        for (const QString& file : files)
            QCOMPARE(readBytes(file), QByteArray("c"));
        QCOMPARE(leftovers(), QStringList());
        restart();
        QCOMPARE(QDir(state->path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList({"runs", "undo"}));
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().mid(prompts.messageTexts().size() - 2),
            QStringList({"Undo the last run? 150 files will be restored.", "The last run is undone."}));
        for (const QString& file : files)
            QCOMPARE(readBytes(file), QByteArray("b"));
    }

    // A stop among groups: the files finished before it are wholly new and
    // can go back, the others wholly old.
    void stopAmongGroupsLeavesEachFileWhollyOldOrNew()
    {
        window.where = {false, true, {}};
        const QStringList files = addFilesInTwoFolders(150);
        int yields = 0;
        services.yield = [&] {
            if (++yields == 101)
                run->askToStop();
        };
        window.finds = {"a"};
        window.replaces = {"b"};
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->PushButton12_Click();
        services.yield = [] {};
        QCOMPARE(prompts.messageTexts(), QStringList({"Stop replacing?", "Stopped."}));
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(readBytes(files[i]), QByteArray(i < 100 ? "b" : "a"));
        QCOMPARE(leftovers(), QStringList());
        QCOMPARE(run->undoStore().fileCount(), 100);
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        for (const QString& file : files)
            QCOMPARE(readBytes(file), QByteArray("a"));
    }
};

QTEST_MAIN(TestUndoStore)
#include "test_undostore.moc"
