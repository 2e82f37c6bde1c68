// The engine among other programs and other users: links swapped in at the
// moment of the open or of the rename, a shared folder with a planted link,
// and sources truncated, appended to, replaced, touched, deleted or renamed
// while they are read. Every case checks the bytes of every file afterwards.
#include "engine/replace/replacetext.h"

#include "support/engineharness.h"
#include "support/enginetestfiles.h"
#include "support/otheruser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray theirs = "Berlin,theirs\n";
const QByteArray privateText = "Berlin,private\n";

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

class TestSharedFiles : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_pub; // sticky, everyone may write, owned by this user
    QString m_notes; // a private file of ours

    QString path(const QString& name) const { return m_dir->filePath(name); }

    // A file of the other user in the shared folder.
    QString theirFile(const QString& name, const QByteArray& bytes)
    {
        const QString file = m_pub + "/" + name;
        writeBytes(file, bytes);
        [&] { QCOMPARE(::chown(native(file).constData(), otherUserId, otherUserId), 0); }();
        return file;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QCOMPARE(::chmod(native(m_dir->path()).constData(), 0755), 0);
        m_pub = path("pub");
        QVERIFY(QDir().mkpath(m_pub));
        QCOMPARE(::chmod(native(m_pub).constData(), 01777), 0);
        QVERIFY(QDir().mkpath(path("mine")));
        QCOMPARE(::chmod(native(path("mine")).constData(), 0700), 0);
        m_notes = path("mine/notes.txt");
        writeBytes(m_notes, privateText);
        QCOMPARE(::chmod(native(m_notes).constData(), 0600), 0);
    }

    void linkSwappedInAtTheOpenIsNeverWrittenThrough_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("in place") << true;
        QTest::newRow("output folder") << false;
    }
    void linkSwappedInAtTheOpenIsNeverWrittenThrough()
    {
        QFETCH(bool, inPlace);
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        const QString data = theirFile("data.csv", theirs);
        EngineHarness run;
        QString source = data;
        if (!inPlace) {
            // Our source, their output folder: the link goes where the result would.
            source = path("mine/data.csv");
            writeBytes(source, theirs);
            run.intoFolder(m_pub);
        }
        run.context.afterSourceOpen = [&](const QString&) {
            QVERIFY(asOtherUser([&] { return swapInSymlink(native(m_notes), native(data)); }));
        };
        run.sets(source);

        QCOMPARE(run.reports().size(), 1);
        QVERIFY2(run.reports()[0].startsWith(data + ": "), qPrintable(run.reports()[0]));
        QCOMPARE(readBytes(m_notes), privateText);
        QVERIFY(QFileInfo(data).isSymLink());
        if (!inPlace)
            QCOMPARE(readBytes(source), theirs);
        QCOMPARE(entriesOf(m_pub), QStringList{"data.csv"});
    }

    void linkOfAnotherUserInSharedFolderIsNotFollowedOwnLinkIs()
    {
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        const QString planted = m_pub + "/data.csv";
        QVERIFY(asOtherUser([&] { return ::symlink(native(m_notes).constData(), native(planted).constData()) == 0; }));
        const QString own = path("mine/own.txt");
        writeBytes(own, "own");
        QVERIFY(QFile::link(path("mine/own.txt"), m_pub + "/own.csv"));
        writeBytes(path("mine/data.csv"), theirs);
        writeBytes(path("mine/own.csv"), "Berlin");

        EngineHarness run;
        run.intoFolder(m_pub);
        run.sets(path("mine/data.csv"));
        run.sets(path("mine/own.csv"));

        QCOMPARE(run.reports().size(), 1);
        QCOMPARE(run.reports()[0],
            planted + ": a symbolic link that another user put into a shared folder; it is not followed");
        QCOMPARE(readBytes(m_notes), privateText);
        QCOMPARE(readBytes(path("mine/data.csv")), theirs);
        QVERIFY(QFileInfo(planted).isSymLink());
        QCOMPARE(readBytes(own), QByteArray("Hamburg"));
        QVERIFY(QFileInfo(m_pub + "/own.csv").isSymLink());
        QCOMPARE(entriesOf(m_pub), QStringList({"data.csv", "own.csv"}));
    }

    void folderLinkOfAnotherUserInSharedFolderIsNotFollowed()
    {
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        const QString planted = m_pub + "/box";
        QVERIFY(
            asOtherUser([&] { return ::symlink(native(path("mine")).constData(), native(planted).constData()) == 0; }));
        writeBytes(path("mine/data.csv"), "Berlin");
        EngineHarness run;
        run.sets(planted + "/notes.txt"); // in place, through the link
        run.intoFolder(planted);
        run.sets(path("mine/data.csv")); // into a folder reached through it
        QCOMPARE(run.reports().size(), 2);
        for (const QString& report : run.reports())
            QVERIFY2(
                report.endsWith(": a symbolic link that another user put into a shared folder; it is not followed"),
                qPrintable(report));
        QCOMPARE(readBytes(m_notes), privateText);
        QCOMPARE(readBytes(path("mine/data.csv")), QByteArray("Berlin"));
        QCOMPARE(entriesOf(path("mine")), QStringList({"data.csv", "notes.txt"}));
    }

    void nameChangedJustBeforeTheRenameIsNotReplaced_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<bool>("targetExisted");
        QTest::newRow("in place") << true << true;
        QTest::newRow("output folder, old result there") << false << true;
        QTest::newRow("output folder, no file there yet") << false << false;
    }
    void nameChangedJustBeforeTheRenameIsNotReplaced()
    {
        QFETCH(bool, inPlace);
        QFETCH(bool, targetExisted);
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        const QString target = m_pub + "/data.csv";
        if (targetExisted)
            theirFile("data.csv", theirs);
        EngineHarness run;
        QString source = target;
        if (!inPlace) {
            source = path("mine/data.csv");
            writeBytes(source, "Berlin");
            run.intoFolder(m_pub);
        }
        run.context.output.beforeReplace = [&](const QString&) {
            QVERIFY(asOtherUser([&] { return swapInSymlink(native(m_notes), native(target)); }));
        };
        run.sets(source);

        QCOMPARE(run.reports().size(), 1);
        QCOMPARE(run.reports()[0],
            target
                + ": changed by another program during the run; its result was not written "
                  "and the file keeps what that program left");
        QCOMPARE(readBytes(m_notes), privateText);
        QVERIFY(QFileInfo(target).isSymLink());
        if (!inPlace)
            QCOMPARE(readBytes(source), QByteArray("Berlin"));
        QCOMPARE(entriesOf(m_pub), QStringList{"data.csv"});
    }

    // Not staged: the other user swaps as fast as it can while files are replaced.
    void racingLinkSwapsNeverReachOurFile()
    {
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        const QString data = theirFile("data.csv", theirs);
        const QByteArray at = native(data);
        const QByteArray notes = native(m_notes);
        const int attacker = startAsOtherUser([&] {
            // Paced, so that some runs find the file and some the link.
            for (int round = 0; round < 200000; ++round) {
                swapInSymlink(notes, at);
                ::usleep(3000);
                swapInFile(theirs, at);
                ::usleep(3000);
            }
            return true;
        });
        QVERIFY(attacker > 0);
        int reports = 0;
        for (int round = 0; round < 40; ++round) {
            ::usleep(useconds_t(700 * (round % 7))); // meets the swaps at other moments
            EngineHarness run;
            run.sets(data);
            reports += run.reports().size();
            QCOMPARE(readBytes(m_notes), privateText);
        }
        finishChild(attacker);
        qInfo("40 runs against a racing link swap: %d refused, %d replaced their file", reports, 40 - reports);
        QCOMPARE(readBytes(m_notes), privateText);
        QCOMPARE(entriesOf(path("mine")), QStringList{"notes.txt"});
        for (const QString& name : entriesOf(m_pub))
            QVERIFY2(name == "data.csv" || name == "data.csv.swap", qPrintable(name));
    }

    void sourceChangedWhileReadIsNotCommitted_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<bool>("single");
        for (const char* change : {"truncated", "appended", "replaced", "deleted", "renamed", "touched"}) {
            for (const bool single : {true, false}) {
                const char* tab = single ? "single" : "sets";
                QTest::newRow(qPrintable(QString("%1, in place, %2").arg(change, tab))) << change << true << single;
                QTest::newRow(qPrintable(QString("%1, output folder, %2").arg(change, tab)))
                    << change << false << single;
            }
        }
    }
    void sourceChangedWhileReadIsNotCommitted()
    {
        QFETCH(QString, change);
        QFETCH(bool, inPlace);
        QFETCH(bool, single);
        const QString folder = path("data");
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::chmod(native(folder).constData(), 0777), 0);
        const QString source = folder + "/a.csv";
        const QByteArray old = QByteArray("Berlin,1\n").repeated(300);
        writeBytes(source, old);
        QCOMPARE(::chmod(native(source).constData(), 0666), 0);
        // Their file, so that they may also set its times.
        if (canActAsOtherUser())
            QCOMPARE(::chown(native(source).constData(), otherUserId, otherUserId), 0);
        const QString out = path("out");
        QVERIFY(QDir().mkpath(out));
        writeBytes(out + "/a.csv", "previous");

        EngineHarness run;
        run.context.chunkSize = 64;
        if (!inPlace)
            run.intoFolder(out);
        int yields = 0;
        const QByteArray at = native(source);
        // Another program, another user where the test may be one, after the first chunk.
        auto act = [&]() -> bool {
            if (change == "truncated") {
                const int fd = ::open(at.constData(), O_WRONLY | O_TRUNC);
                const bool ok = fd >= 0 && ::write(fd, "theirs\n", 7) == 7;
                ::close(fd);
                return ok;
            }
            if (change == "appended") {
                const int fd = ::open(at.constData(), O_WRONLY | O_APPEND);
                const bool ok = fd >= 0 && ::write(fd, "theirs\n", 7) == 7;
                ::close(fd);
                return ok;
            }
            if (change == "replaced")
                return swapInFile("theirs\n", at);
            if (change == "deleted")
                return ::unlink(at.constData()) == 0;
            if (change == "renamed")
                return ::rename(at.constData(), (at + ".moved").constData()) == 0;
            const timespec times[2] = {{1000000, 0}, {1000000, 0}};
            return ::utimensat(AT_FDCWD, at.constData(), times, 0) == 0;
        };
        auto actAsOther = [&] { QVERIFY(canActAsOtherUser() ? asOtherUser(act) : act()); };
        // The single tab yields between chunks: the change comes after the
        // first. The sets tab does not: it comes as soon as the file is open.
        if (single) {
            run.context.control.yield = [&] {
                if (++yields == 2)
                    actAsOther();
            };
            run.single(source);
        } else {
            run.context.afterSourceOpen = [&](const QString&) { actAsOther(); };
            run.sets(source);
        }

        QCOMPARE(run.reports().size(), 1);
        QVERIFY2(run.reports()[0].startsWith(source + ": changed by another program during the run"),
            qPrintable(run.reports()[0]));
        QCOMPARE(readBytes(out + "/a.csv"), QByteArray("previous"));
        QStringList left{"a.csv"};
        if (change == "truncated" || change == "replaced")
            QCOMPARE(readBytes(source), QByteArray("theirs\n"));
        else if (change == "appended")
            QCOMPARE(readBytes(source), old + "theirs\n");
        else if (change == "touched")
            QCOMPARE(readBytes(source), old);
        else
            left.clear();
        if (change == "renamed") {
            left = QStringList{"a.csv.moved"};
            QCOMPARE(readBytes(source + ".moved"), old);
        }
        QCOMPARE(entriesOf(folder), left);
        QCOMPARE(entriesOf(out), QStringList{"a.csv"});
    }
};

QTEST_GUILESS_MAIN(TestSharedFiles)
#include "test_sharedfiles.moc"
