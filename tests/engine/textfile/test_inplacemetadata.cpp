// What belongs to a file replaced in place stays with it: permission bits,
// extended attributes and ACLs, other hard links, and an owner that the
// running user could not give a new file. Also the temporary file's marker
// and the system's own words for a read-only file system and a long name.
#include "base/failure.h"
#include "engine/textfile/resultwriter.h"
#include "engine/textfile/sourcefile.h"

#include "support/enginetestfiles.h"
#include "support/otheruser.h"
#include "support/xattrs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

void writeInPlace(const QString& path, const QByteArray& bytes)
{
    const SourceFile source(path);
    ResultWriter writer(path, TextEncoding::Utf8, source);
    writer.write(bytes);
    writer.commit();
}

} // namespace

class TestInPlaceMetadata : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void extendedAttributesAndAclKept_data()
    {
        QTest::addColumn<bool>("hardLinked");
        QTest::newRow("new file renamed in") << false;
        QTest::newRow("copied over, hard-linked") << true;
    }
    void extendedAttributesAndAclKept()
    {
        QFETCH(bool, hardLinked);
        const QString file = path("a.csv");
        writeBytes(file, "old");
        QCOMPARE(::chmod(native(file).constData(), 0640), 0);
        if (::setxattr(native(file).constData(), "user.origin", "ledger", 6, 0) != 0)
            QSKIP("the file system here keeps no user.* attributes");
        const QByteArray acl = aclGivingNobodyRead();
        if (::setxattr(native(file).constData(), "system.posix_acl_access", acl.constData(), size_t(acl.size()), 0)
            != 0)
            QSKIP("the file system here keeps no ACLs");
        if (hardLinked)
            QCOMPARE(::link(native(file).constData(), native(path("b.csv")).constData()), 0);

        writeInPlace(file, "new");

        QCOMPARE(readBytes(file), QByteArray("new"));
        QCOMPARE(attributeOf(file, "user.origin"), QByteArray("ledger"));
        QCOMPARE(attributeOf(file, "system.posix_acl_access"), acl);
        QCOMPARE(statOf(file).st_mode & 07777, mode_t(0640));
        QCOMPARE(entriesOf(m_dir->path()), hardLinked ? QStringList({"a.csv", "b.csv"}) : QStringList{"a.csv"});
        if (hardLinked)
            QCOMPARE(readBytes(path("b.csv")), QByteArray("new"));
    }

    void hardLinksStayOneFile()
    {
        const QString file = path("a.csv");
        writeBytes(file, "old old old");
        QCOMPARE(::link(native(file).constData(), native(path("b.csv")).constData()), 0);
        const ino_t inode = statOf(file).st_ino;
        writeInPlace(file, "new");
        QCOMPARE(readBytes(file), QByteArray("new"));
        QCOMPARE(readBytes(path("b.csv")), QByteArray("new"));
        QCOMPARE(statOf(file).st_ino, inode);
        QCOMPARE(statOf(file).st_nlink, nlink_t(2));
        QCOMPARE(entriesOf(m_dir->path()), QStringList({"a.csv", "b.csv"}));
    }

    void ownerThatTheUserCannotSetIsKept()
    {
        if (!canActAsOtherUser())
            QSKIP("needs root to act as another user");
        QCOMPARE(::chmod(native(m_dir->path()).constData(), 0777), 0);
        // Root's file, writable by the other user's group.
        const QString file = path("shared.csv");
        writeBytes(file, "old");
        QCOMPARE(::chown(native(file).constData(), 0, otherUserId), 0);
        QCOMPARE(::chmod(native(file).constData(), 0664), 0);
        QVERIFY(asOtherUser([&] {
            try {
                writeInPlace(file, "new");
                return true;
            } catch (const Failure&) {
                return false;
            }
        }));
        QCOMPARE(readBytes(file), QByteArray("new"));
        QCOMPARE(statOf(file).st_uid, uid_t(0));
        QCOMPARE(statOf(file).st_gid, gid_t(otherUserId));
        QCOMPARE(statOf(file).st_mode & 07777, mode_t(0664));
        QCOMPARE(entriesOf(m_dir->path()), QStringList{"shared.csv"});
    }

    void temporaryFileCarriesTheMarker()
    {
        ResultWriter writer(path("a.csv"), TextEncoding::Utf8, false);
        writer.write("new");
        const QStringList names = entriesOf(m_dir->path());
        QCOMPARE(names.size(), 1);
        QVERIFY2(names[0].startsWith(".a.csv.tallowmere-tmp-"), qPrintable(names[0]));
    }

    void nameTooLongIsSaidSo()
    {
        const QString target = path(QString(256, QChar(u'n')));
        try {
            ResultWriter writer(target, TextEncoding::Utf8, false);
            QFAIL("no failure");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(), target + ": File name too long");
        }
        QCOMPARE(entriesOf(m_dir->path()), QStringList{});
    }

    // On a small file system of its own, mounted in a mount namespace of its
    // own so that nothing else sees it: read-only, or too small for the result.
    void fileSystemFailuresAreToldInTheSystemsWords_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("told");
        QTest::newRow("read-only") << true << "Read-only file system";
        QTest::newRow("full") << false << "No space left on device";
    }
    void fileSystemFailuresAreToldInTheSystemsWords()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, told);
        if (::geteuid() != 0)
            QSKIP("needs root to mount a file system");
        const QString mountPoint = path("small");
        QVERIFY(QDir().mkpath(mountPoint));
        const QString file = mountPoint + "/a.csv";
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeEnds[0]);
            QByteArray said = "(no mount)";
            if (::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                && ::mount("tmpfs", native(mountPoint).constData(), "tmpfs", 0, "size=64k") == 0) {
                writeBytes(file, "old");
                if (readOnly)
                    ::mount(nullptr, native(mountPoint).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
                try {
                    writeInPlace(file, QByteArray(1 << 20, 'x'));
                    said = "(written)";
                } catch (const Failure& failure) {
                    said = failure.description().toUtf8();
                }
                said += "|" + readBytes(file) + "|" + entriesOf(mountPoint).join(',').toUtf8();
            }
            (void)!::write(pipeEnds[1], said.constData(), size_t(said.size()));
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        QByteArray said;
        char buffer[512];
        for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, got);
        ::close(pipeEnds[0]);
        ::waitpid(child, nullptr, 0);
        if (said == "(no mount)")
            QSKIP("no mount namespace here");
        QCOMPARE(QString::fromUtf8(said), file + ": " + told + "|old|a.csv");
    }
};

QTEST_GUILESS_MAIN(TestInPlaceMetadata)
#include "test_inplacemetadata.moc"
