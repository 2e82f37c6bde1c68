// The result writer against the file system: links, owners and permission
// bits, names at the length limit, and what may stand in the target's place.
#include "base/failure.h"
#include "engine/textfile/resultwriter.h"

#include "support/enginetestfiles.h"
#include "support/specialfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#if defined(Q_OS_UNIX)
mode_t modeBits(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(-1);
}
#endif

void writeResult(const QString& target, const QByteArray& bytes)
{
    ResultWriter writer(target, TextEncoding::Utf8, false);
    writer.write(bytes);
    writer.commit();
}

QString failureOf(const QString& target)
{
    try {
        writeResult(target, "new");
    } catch (const Failure& failure) {
        return failure.description();
    }
    return {};
}

} // namespace

class TestResultWriter : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void linkToLinkIsFollowedToTheFileNotReplacedItself()
    {
        QVERIFY(QDir().mkpath(path("data")));
        writeBytes(path("data/real.csv"), "old");
        // Relative links, one pointing at the next.
        QVERIFY(QFile::link("data/real.csv", path("first.csv")));
        QVERIFY(QFile::link("first.csv", path("second.csv")));
        writeResult(path("second.csv"), "new");
        QCOMPARE(readBytes(path("data/real.csv")), QByteArray("new"));
        QVERIFY(QFileInfo(path("first.csv")).isSymbolicLink());
        QVERIFY(QFileInfo(path("second.csv")).isSymbolicLink());
        QCOMPARE(entries(), QStringList({"data", "first.csv", "second.csv"}));
    }

    void danglingLinkCreatesTheFileItNames()
    {
        QVERIFY(QFile::link("made.csv", path("link.csv")));
        writeResult(path("link.csv"), "new");
        QVERIFY(QFileInfo(path("link.csv")).isSymbolicLink());
        QCOMPARE(readBytes(path("made.csv")), QByteArray("new"));

        // A link into a folder that doesn't exist fails as writing through it would.
        QVERIFY(QFile::link("nowhere/x.csv", path("lost.csv")));
        QCOMPARE(failureOf(path("lost.csv")), path("lost.csv") + ": No such file or directory");
    }

    void linkLoopFailsInsteadOfSpinning()
    {
        QVERIFY(QFile::link("b.csv", path("a.csv")));
        QVERIFY(QFile::link("a.csv", path("b.csv")));
        QCOMPARE(failureOf(path("a.csv")), path("a.csv") + ": Too many levels of symbolic links");
    }

    void permissionBitsOfTargetOwnedByOtherUserKeptExactly()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("owners and permission bits are a POSIX matter");
#else
        if (::geteuid() != 0)
            QSKIP("needs root to give the target to another user");
        // Root may read and write it, but its owner may not: those rights
        // must not move into the owner's bits.
        writeBytes(path("a.csv"), "old");
        QCOMPARE(::chown(QFile::encodeName(path("a.csv")).constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(QFile::encodeName(path("a.csv")).constData(), 0046), 0);
        writeResult(path("a.csv"), "new");
        QCOMPARE(readBytes(path("a.csv")), QByteArray("new"));
        QCOMPARE(modeBits(path("a.csv")), mode_t(0046));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path("a.csv")).constData(), &st), 0);
        QCOMPARE(st.st_uid, uid_t(65534));
#endif
    }

    void newTargetGetsTheUsualPermissions()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("permission bits are a POSIX matter");
#else
        const mode_t mask = ::umask(0022);
        writeResult(path("new.csv"), "new");
        ::umask(mask);
        QCOMPARE(modeBits(path("new.csv")), mode_t(0644));
#endif
    }

    void targetNameOfTheLongestLengthGetsATemporaryFile()
    {
        const QString name = QString(251, QChar(u'n')) + ".csv";
        writeResult(path(name), "new");
        QCOMPARE(readBytes(path(name)), QByteArray("new"));
        QCOMPARE(entries(), QStringList({name}));
    }

    void fifoInTargetsPlaceIsRefusedWithoutBlocking()
    {
        if (!makeFifo(path("a.csv")))
            QSKIP("no named pipes here");
        QCOMPARE(failureOf(path("a.csv")), path("a.csv") + ": Not a regular file");
        QVERIFY(QFileInfo(path("a.csv")).exists() && !QFileInfo(path("a.csv")).isFile());
        QCOMPARE(entries(), QStringList({"a.csv"}));
    }

    void writerLeftWithoutCommitLeavesNoTrace()
    {
        writeBytes(path("a.csv"), "old");
        {
            ResultWriter writer(path("a.csv"), TextEncoding::Utf16LE, true);
            writer.write(QByteArray(3 << 20, 'x'));
        }
        QCOMPARE(readBytes(path("a.csv")), QByteArray("old"));
        QCOMPARE(entries(), QStringList({"a.csv"}));
        // Also once a long result is being written on a thread of its own.
        {
            ResultWriter writer(path("a.csv"), TextEncoding::Utf8, true);
            for (int i = 0; i < 9; ++i)
                writer.write(QByteArray(1 << 20, 'y'));
        }
        QCOMPARE(readBytes(path("a.csv")), QByteArray("old"));
        QCOMPARE(entries(), QStringList({"a.csv"}));
    }

    // A long result is gathered into blocks written on a thread of its own:
    // pieces of every size, short ones, whole chunks and pieces of several
    // blocks, across the size from which that starts, land in order.
    void longResultWrittenInPiecesOfEverySizeKeepsItsBytes()
    {
        QByteArray expected;
        {
            ResultWriter writer(path("long.csv"), TextEncoding::Utf8, true);
            const qsizetype sizes[] = {1, 7, 65536, 100, (3 << 20) + 5, 70000, 1 << 20, 3, (5 << 20) + 11, 12345};
            int piece = 0;
            for (const qsizetype size : sizes) {
                QByteArray bytes(size, char('a' + piece++ % 26));
                bytes[0] = '#';
                expected += bytes;
                writer.write(bytes);
            }
            writer.commit();
        }
        QCOMPARE(readBytes(path("long.csv")), expected);
        QCOMPARE(entries(), QStringList({"long.csv"}));
    }
};

QTEST_GUILESS_MAIN(TestResultWriter)
#include "test_resultwriter.moc"
