// The way back attacked as the way forward is: links planted in the state
// folder, a state folder or record that another user owns, two windows of
// the program over the same files, a folder swapped for a link during an
// undo, a kept copy on another file system, a run before the last one. Every
// file's bytes are checked; no original is lost and no file the user did not
// list is written.
#include "support/batchrunfixture.h"
#include "support/otheruser.h"
#include "support/xattrs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// A second window of the program with the same home: its own prompts and
// list, the same state folder.
struct SecondWindow {
    ScriptedPrompts prompts;
    PromptedBatchRunBoxes boxes{prompts};
    ErrorReporter reporter{prompts};
    WindowPointer pointer;
    FakeBatchRunWindow window;
    WindowServices services{prompts, reporter, pointer, {}, [] {}, [] { return false; }};
    std::unique_ptr<BatchRun> run;

    explicit SecondWindow(const QString& state)
        : run(std::make_unique<BatchRun>(window, services, boxes, ReplaceEntries{}, BatchRunOptions{state}))
    {
        prompts.setApplicationTitle("Tallowmere");
    }
};

} // namespace

class TestUndoSafety : public QObject, BatchRunFixture {
    Q_OBJECT

    QStringList files(int count, const QByteArray& bytes)
    {
        QStringList added;
        for (int i = 0; i < count; ++i)
            added << addFile(QString("f%1.csv").arg(i, 2, 10, QChar('0')), bytes);
        return added;
    }
    // A folder that must never be written: the target of planted links.
    QString victim()
    {
        QDir().mkpath(path("victim"));
        writeBytes(path("victim/keep.csv"), "precious");
        writeBytes(path("victim/1"), "precious too");
        return path("victim");
    }
    void victimIsIntact()
    {
        QCOMPARE(QDir(path("victim")).entryList(QDir::Files | QDir::Hidden), QStringList({"1", "keep.csv"}));
        QCOMPARE(readBytes(path("victim/keep.csv")), QByteArray("precious"));
        QCOMPARE(readBytes(path("victim/1")), QByteArray("precious too"));
    }

private slots:
    void init() { startWithSetsTab(); }
    void cleanup() { QVERIFY2(prompts.done(), qPrintable(prompts.problems())); }

    void linkPlantedInTheStateFolderIsNeverFollowed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("said");
        QTest::newRow("undo") << "undo"
                              << "Undo is not available for this run: <state>/undo is not private";
        QTest::newRow("runs") << "runs"
                              << "This report could not be saved: <state>/runs is not private";
        QTest::newRow("a run's folder") << "undo/20200101-000000-000-1-a"
                                        << "Ctrl+Z undoes this run.";
        QTest::newRow("set aside by an older version") << "undo-dropped-x"
                                                       << "Ctrl+Z undoes this run.";
    }
    void linkPlantedInTheStateFolderIsNeverFollowed()
    {
        QFETCH(QString, name);
        QFETCH(QString, said);
        said.replace("<state>", state->path());
        if (name != "undo")
            QDir().mkpath(state->filePath("undo"));
        QVERIFY(QFile::link(victim(), state->filePath(name)));
        const QString a = addFile("a.csv", "a");
        run->recoverAtStart();
        replaceRun("a", "b");
        QVERIFY2(prompts.lastDetails().contains("\n" + said), qPrintable(prompts.lastDetails()));
        QCOMPARE(readBytes(a), QByteArray("b"));
        if (name.startsWith("undo/")) {
            undoExpecting("The last run is undone.");
            QCOMPARE(readBytes(a), QByteArray("a"));
            prompts.answerMessage();
            run->undoLastRun();
            QCOMPARE(prompts.messageTexts().last(), QString("There is no run to undo."));
        }
        victimIsIntact();
    }

    // Root's state folder under a folder another user owns: no way back is
    // kept there, and nothing found there is obeyed.
    void stateFolderOrRecordOfAnotherUserIsNotTrusted()
    {
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        QDir().mkpath(path("shared/state"));
        ::chown(QFile::encodeName(path("shared")).constData(), otherUserId, otherUserId);
        run = std::make_unique<BatchRun>(
            window, services, boxes, ReplaceEntries{}, BatchRunOptions{path("shared/state")});
        const QString a = addFile("a.csv", "a");
        replaceRun("a", "b");
        QVERIFY2(prompts.lastDetails().contains(
                     "\nUndo is not available for this run: " + path("shared/state") + " is not private"),
            qPrintable(prompts.lastDetails()));
        prompts.answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), "Undo is not available: " + path("shared/state") + " is not private");

        // A record that is not root's own is not obeyed.
        restart();
        replaceRun("b", "c");
        const QString runFolder = state->filePath(
            "undo/" + QDir(state->filePath("undo")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).first());
        ::chown(QFile::encodeName(runFolder + "/record").constData(), otherUserId, otherUserId);
        restart();
        prompts.answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), QString("There is no run to undo."));
        QCOMPARE(readBytes(a), QByteArray("c"));
    }

    // A kept file that is not the one the run kept is not written anywhere.
    void keptFileReplacedSinceIsNotPutBack()
    {
        const QString a = addFile("a.csv", "a");
        replaceRun("a", "b");
        const QString runFolder = state->filePath(
            "undo/" + QDir(state->filePath("undo")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).first());
        QVERIFY(QFile::remove(runFolder + "/0"));
        writeBytes(runFolder + "/0", "planted");
        prompts.answerMessage(Answer::Yes).answerMessage();
        run->undoLastRun();
        QVERIFY2(prompts.lastDetails().contains("failed, its kept previous content is missing or was changed: " + a),
            qPrintable(prompts.lastDetails()));
        QCOMPARE(readBytes(a), QByteArray("b"));
    }

    // Window B runs over half of A's files while A's results wait for their
    // group; B's Ctrl+Z meanwhile is refused. Each window then undoes its own
    // run, and every file is back as it was.
    void twoWindowsWithOverlappingRunsAndUndosLoseNoOriginal()
    {
        const QStringList all = files(30, "a");
        window.rows = all.mid(0, 20);
        SecondWindow b(state->path());
        b.window.finds = {"a"};
        b.window.replaces = {"x"};
        b.window.rows = all.mid(10);
        int yields = 0;
        services.yield = [&] {
            if (++yields != 15)
                return;
            b.prompts.answerMessage();
            b.run->undoLastRun();
            b.prompts.answerMessage();
            b.run->PushButton12_Click();
        };
        // A's results for the files B wrote meanwhile are refused at their commit.
        prompts.answerMessage().answerMessage().answerMessage().answerMessage();
        replaceRun("a", "b");
        services.yield = [] {};
        QCOMPARE(b.prompts.messageTexts(), QStringList({"The last run is still going on in another window.", "Done."}));
        for (int i = 0; i < 30; ++i)
            QCOMPARE(readBytes(all[i]), QByteArray(i < 10 ? "b" : "x"));
        QVERIFY(prompts.lastDetails().contains("4 failed"));

        undoExpecting("The last run is undone.");
        b.prompts.answerMessage(Answer::Yes).answerMessage();
        b.run->undoLastRun();
        QCOMPARE(b.prompts.messageTexts().mid(2),
            QStringList({"Undo the last run? 20 files will be restored.", "The last run is undone."}));
        for (const QString& file : all)
            QCOMPARE(readBytes(file), QByteArray("a"));
        // Neither window takes the other's run, nor one undone.
        b.prompts.answerMessage();
        b.run->undoLastRun();
        QCOMPARE(b.prompts.messageTexts().last(), QString("There is no run to undo."));
        QVERIFY2(b.prompts.done(), qPrintable(b.prompts.problems()));
    }

    // A window does not take a run whose window is still open, and says so;
    // once that window is closed, the run is its to undo.
    void runOfAnOpenWindowIsUndoneOnlyThereUntilItCloses()
    {
        const QString a = addFile("a.csv", "a");
        replaceRun("a", "b");
        SecondWindow b(state->path());
        b.prompts.answerMessage();
        b.run->undoLastRun();
        QCOMPARE(b.prompts.messageTexts().last(),
            QString("The last run was made in another window that is still open: undo it there."));
        run.reset();
        b.prompts.answerMessage(Answer::Yes).answerMessage();
        b.run->undoLastRun();
        QCOMPARE(b.prompts.messageTexts().mid(1),
            QStringList({"Undo the last run? 1 file will be restored.", "The last run is undone."}));
        QCOMPARE(readBytes(a), QByteArray("a"));
        QVERIFY2(b.prompts.done(), qPrintable(b.prompts.problems()));
    }

    // Each Ctrl+Z takes back one more run, also after a restart, also where
    // the later run kept the earlier one's result as a link (which moves its
    // change time) or as a copy (a new file).
    void eachUndoTakesBackTheRunBefore_data()
    {
        QTest::addColumn<bool>("links");
        QTest::newRow("kept as links") << true;
        QTest::newRow("kept as copies") << false;
    }
    void eachUndoTakesBackTheRunBefore()
    {
        QFETCH(bool, links);
        run->undoStore().setLinking(links);
        const QStringList all = files(3, "a");
        replaceRun("a", "b");
        replaceRun("b", "c");
        replaceRun("c", "d");
        undoExpecting("The last run is undone.");
        QCOMPARE(readBytes(all[1]), QByteArray("c"));
        undoExpecting("The last run is undone.");
        QCOMPARE(readBytes(all[1]), QByteArray("b"));
        restart();
        run->undoStore().setLinking(links);
        undoExpecting("The last run is undone.");
        for (const QString& file : all)
            QCOMPARE(readBytes(file), QByteArray("a"));
        prompts.answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), QString("There is no run to undo."));
    }

    void onlyTheLastTenRunsAreKept()
    {
        const QString a = addFile("a.csv", "0");
        for (int i = 0; i < 12; ++i)
            replaceRun(QString::number(i), QString::number(i + 1));
        run.reset(); // the removal of dropped runs has ended
        QCOMPARE(QDir(state->filePath("undo")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 10);
        restart();
        for (int i = 12; i > 2; --i)
            undoExpecting("The last run is undone.");
        QCOMPARE(readBytes(a), QByteArray("2"));
        prompts.answerMessage();
        run->undoLastRun();
        QCOMPARE(prompts.messageTexts().last(), QString("There is no run to undo."));
    }

    // After an undo that left a changed file alone, its old content stays
    // kept, and the details say where.
    void originalOfAFileChangedSinceStaysKept()
    {
        const QString a = addFile("a.csv", "a");
        const QString b = addFile("b.csv", "old b");
        replaceRun("b", "B");
        writeBytes(b, "edited by hand");
        undoExpecting("The last run is undone, except for 1 file (see the details).");
        const QString details = prompts.lastDetails();
        const QString marker = "not touched, changed since the run: " + b + "; its previous content is kept as ";
        QVERIFY2(details.contains(marker), qPrintable(details));
        const QString kept = details.mid(details.indexOf(marker) + marker.size()).section('\n', 0, 0);
        QCOMPARE(readBytes(kept), QByteArray("old b"));
        QCOMPARE(readBytes(b), QByteArray("edited by hand"));
        QCOMPARE(readBytes(a), QByteArray("a"));
    }

    // Another user swaps a folder of theirs for a link to root's own folder
    // during root's undo: root's files there are never written.
    void folderSwappedForALinkDuringUndoIsNotWrittenInto()
    {
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        run->undoStore().setLinking(false);
        ::chmod(QFile::encodeName(dir->path()).constData(), 0711);
        QDir().mkpath(path("shared/sub"));
        QDir().mkpath(path("private"));
        ::chmod(QFile::encodeName(path("private")).constData(), 0700);
        ::chown(QFile::encodeName(path("shared")).constData(), otherUserId, otherUserId);
        ::chown(QFile::encodeName(path("shared/sub")).constData(), otherUserId, otherUserId);
        QStringList shared;
        for (int i = 0; i < 5; ++i) {
            shared << addFile(QString("shared/sub/f%1.csv").arg(i), "a");
            writeBytes(path(QString("private/f%1.csv").arg(i)), "root's own");
        }
        replaceRun("a", "b");
        bool swapped = false;
        run->undoStore().setCopyProgress([&](qint64) {
            if (swapped)
                return;
            swapped = asOtherUser([&] {
                return ::rename(QFile::encodeName(path("shared/sub")).constData(),
                           QFile::encodeName(path("shared/old")).constData())
                    == 0
                    && ::symlink(QFile::encodeName(path("private")).constData(),
                           QFile::encodeName(path("shared/sub")).constData())
                    == 0;
            });
        });
        undoExpecting("The last run is undone, except for 4 files (see the details).");
        QVERIFY(swapped);
        QCOMPARE(prompts.lastDetails().count("its folder was moved or replaced since the run"), 4);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(readBytes(path(QString("private/f%1.csv").arg(i))), QByteArray("root's own"));
        QCOMPARE(QDir(path("private")).entryList(QDir::Files | QDir::Hidden).size(), 5);
        // The latest file was put back in the folder it was in.
        QCOMPARE(readBytes(path("shared/old/f4.csv")), QByteArray("a"));
    }

    // Another user acts once every old file of a group is kept and on the
    // disk, just before the first result takes its place: a file appended
    // to and one swapped for a link keep what that user left, the others
    // are replaced, and Ctrl+Z takes back exactly those.
    void otherUserActingWhileAGroupIsKeptLosesNothing()
    {
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        ::chmod(QFile::encodeName(dir->path()).constData(), 0711);
        QDir().mkpath(path("shared"));
        QDir().mkpath(path("private"));
        ::chmod(QFile::encodeName(path("private")).constData(), 0700);
        ::chown(QFile::encodeName(path("shared")).constData(), otherUserId, otherUserId);
        writeBytes(path("private/own.csv"), "root's own");
        QStringList files;
        for (int i = 0; i < 5; ++i) {
            files << addFile(QString("shared/f%1.csv").arg(i), "a");
            ::chown(QFile::encodeName(files.last()).constData(), otherUserId, otherUserId);
        }
        bool acted = false;
        ReplaceEntries entries;
        entries.sets
            = [&](const QString& file, const QStringList& finds, const QStringList& replaces, EngineContext& context) {
                  context.output.beforeReplace = [&](const QString&) {
                      if (acted)
                          return;
                      acted = asOtherUser([&] {
                          const int fd = ::open(QFile::encodeName(files[2]).constData(), O_WRONLY | O_APPEND);
                          const bool appended = fd >= 0 && ::write(fd, ",more", 5) == 5;
                          if (fd >= 0)
                              ::close(fd);
                          return appended
                              && swapInSymlink(QFile::encodeName(path("private/own.csv")), QFile::encodeName(files[3]));
                      });
                  };
                  return ReplaceTextInFileCombo(file, finds, replaces, context);
              };
        run = std::make_unique<BatchRun>(window, services, boxes, entries, BatchRunOptions{state->path()});
        window.finds = {"a"};
        window.replaces = {"b"};
        prompts.answerMessage().answerMessage().answerMessage();
        run->PushButton12_Click();
        QVERIFY(acted);
        QCOMPARE(prompts.messageTexts().last(), QString("Done."));
        QCOMPARE(prompts.lastDetails().count("changed by another program"), 2);
        const QList<QByteArray> after{"b", "b", "a,more", "root's own", "b"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(readBytes(files[i]), after[i]);
        QVERIFY(QFileInfo(files[3]).isSymLink());
        QCOMPARE(run->undoStore().fileCount(), 3);
        undoExpecting("The last run is undone.");
        const QList<QByteArray> undone{"a", "a", "a,more", "root's own", "a"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(readBytes(files[i]), undone[i]);
        QVERIFY(QFileInfo(files[3]).isSymLink());
        QCOMPARE(readBytes(path("private/own.csv")), QByteArray("root's own"));
        QCOMPARE(QDir(path("shared")).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 5);
        QCOMPARE(run->undoStore().fileCount(), 0);
    }

    // A kept copy on another file system: the bytes come back, and so do
    // owner, group, bits, extended attributes and the ACL.
    void attributesComeBackFromACopyOnAnotherFileSystem()
    {
        if (!canActAsOtherUser())
            QSKIP("needs root to give a file to another user");
        QTemporaryDir shm("/dev/shm/tallowmere-undo-XXXXXX");
        if (!shm.isValid() || statOf(shm.path()).st_dev == statOf(dir->path()).st_dev)
            QSKIP("needs /dev/shm on a file system of its own");
        run = std::make_unique<BatchRun>(window, services, boxes, ReplaceEntries{}, BatchRunOptions{shm.path()});
        const QString a = addFile("a.csv", "a,a\r\n");
        const QByteArray name = QFile::encodeName(a);
        ::chown(name.constData(), otherUserId, otherUserId);
        ::chmod(name.constData(), 0640);
        QVERIFY(::setxattr(name.constData(), "user.origin", "ledger", 6, 0) == 0);
        const QByteArray acl = aclGivingNobodyRead();
        const bool hasAcl
            = ::setxattr(name.constData(), "system.posix_acl_access", acl.constData(), size_t(acl.size()), 0) == 0;
        const QByteArray aclBefore = attributeOf(a, "system.posix_acl_access");
        replaceRun("a", "b");
        QCOMPARE(readBytes(a), QByteArray("b,b\r\n"));
        undoExpecting("The last run is undone.");
        QCOMPARE(readBytes(a), QByteArray("a,a\r\n"));
        const struct stat after = statOf(a);
        QCOMPARE(after.st_uid, uid_t(otherUserId));
        QCOMPARE(after.st_gid, gid_t(otherUserId));
        QCOMPARE(int(after.st_mode & 07777), 0640);
        QCOMPARE(attributeOf(a, "user.origin"), QByteArray("ledger"));
        if (hasAcl)
            QCOMPARE(attributeOf(a, "system.posix_acl_access"), aclBefore);
    }
};

QTEST_GUILESS_MAIN(TestUndoSafety)
#include "test_undosafety.moc"
