// The engine entries end to end: encodings, destinations, yields and stops,
// and every failure reported once with the target left as it was.
#include "engine/replace/replacetext.h"

#include "support/chunkcompare.h"
#include "support/engineharness.h"
#include "support/enginetestfiles.h"
#include "support/recordingkeeper.h"
#include "support/scriptedprompts.h"
#include "support/specialfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

#if defined(Q_OS_UNIX)
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

const QString sample = QString::fromUtf8(
    "id,name,city\r\n1,J\xC3\xBCrgen,K\xC3\xB6ln\n2,Zo\xC3\xAB,Paris\r3,\xE2\x82\xAC uro,Berlin\r\n");

// One failure of an entry: how it is brought about, and where and how it is reported.
struct FailureSetup {
    QString source;
    QByteArray bytes;
    QString findWhat;
    QString replaceWith;
    QString outputFolder;
    EngineHarness harness;
    bool createSource = true;
    bool folderAsTarget = false;
    const char* skip = nullptr;

    QString outputFile() const { return outputFolder + "/a.csv"; }
};

struct FailureCase {
    const char* name;
    bool single;
    int line;
    const char* description;
    std::function<void(FailureSetup&)> arrange;
    bool aboutAFile = true; // the pairs and the destination are no file's
};

void readOnlyTarget(FailureSetup& s)
{
    writeBytes(s.outputFile(), "keep");
    QVERIFY(QFile::setPermissions(s.outputFile(), QFile::ReadOwner | QFile::ReadGroup));
}

void differentLineCounts(FailureSetup& s)
{
    s.findWhat = "x\r\n,";
}

const std::vector<FailureCase>& failureCases()
{
    static const std::vector<FailureCase> cases{
        {"missing source", true, 100, "No such file or directory",
            [](FailureSetup& s) {
                s.source = QFileInfo(s.source).path() + "/gone.csv";
                s.createSource = false;
            }},
        {"folder as source", false, 100, "Not a regular file", [](FailureSetup& s) { s.source = s.outputFolder; }},
        {"FIFO as source", false, 100, "Not a regular file",
            [](FailureSetup& s) {
                if (!makeFifo(s.source))
                    s.skip = "No FIFOs here";
            }},
        {"socket as source, not its open error", false, 100, "Not a regular file",
            [](FailureSetup& s) {
#if defined(Q_OS_UNIX)
                const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
                sockaddr_un address{};
                address.sun_family = AF_UNIX;
                qstrncpy(address.sun_path, QFile::encodeName(s.source).constData(), sizeof address.sun_path);
                QCOMPARE(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
                ::close(listening);
#else
                s.skip = "No sockets in the file system here";
#endif
            }},
        {"read-only target", true, 136, "Permission denied", readOnlyTarget},
        {"read-only target, sets", false, 124, "Permission denied", readOnlyTarget},
        {"output folder gone", true, 136, "No such file or directory",
            [](FailureSetup& s) { s.harness.destination.outputFolder = QFileInfo(s.source).path() + "/removed"; }},
        {"folder in target's place", false, 124, "Is a directory",
            [](FailureSetup& s) {
                QDir().mkpath(s.outputFile());
                s.folderAsTarget = true;
            }},
        {"bad UTF-8 after mark", true, 104, "Cannot decode",
            [](FailureSetup& s) { s.bytes = "\xEF\xBB\xBFx,x,\xC3\x28"; }},
        {"odd UTF-16 byte", false, 104, "Cannot decode",
            [](FailureSetup& s) { s.bytes = QByteArray("\xFF\xFEx\0,\0x", 7); }},
        {"bad UTF-32 unit", false, 104, "Cannot decode",
            [](FailureSetup& s) { s.bytes = QByteArray("\x00\x00\xFE\xFF\x00\x11\x00\x00", 8); }},
        {"character Windows-1252 lacks", true, 136, "Cannot write",
            [](FailureSetup& s) {
                s.replaceWith = QString::fromUtf8("\xE3\x82\xA2");
                writeBytes(s.outputFile(), "keep");
            }},
        {"line counts differ", true, 110, "The number of lines", differentLineCounts, false},
        {"replace list short", false, 108, "The sets list holds 2 find texts", differentLineCounts, false},
        {"no destination", false, 124, "No destination is selected",
            [](FailureSetup& s) { s.harness.destination.option1 = false; }},
        {"destination unreadable, reported once", true, 128, "Destination unreadable",
            [](FailureSetup& s) {
                s.harness.context.output.destination = []() -> Destination { throw Failure("Destination unreadable"); };
            },
            false},
    };
    return cases;
}

} // namespace

class TestReplaceText : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_out;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_out = path("out");
        QDir().mkpath(m_out);
    }

    void cleanup()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void unmatchedFileComesOutByteForByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (TextEncoding encoding : allEncodings()) {
            const QString text = encoding == TextEncoding::Windows1252
                ? QString::fromLatin1("caf\xE9\r\n\xC0 la\n") + QChar(0x20AC) + QChar(0x81)
                : sample + QString::fromUtf8("\xF0\x9F\x98\x80");
            QTest::newRow(qPrintable(encodingLabel(encoding))) << referenceBytes(text, encoding);
        }
        QByteArray everyByte;
        for (int b = 0; b < 256; ++b)
            everyByte.append(char(b));
        QTest::newRow("binary with NULs, every byte") << everyByte + everyByte;
        QTest::newRow("0 bytes") << QByteArray();
        QTest::newRow("only FF FE") << QByteArray("\xFF\xFE");
        QTest::newRow("only EF BB BF") << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("only FF FE 00 00") << QByteArray("\xFF\xFE\x00\x00", 4);
        QTest::newRow("UTF-16LE with lone surrogate") << QByteArray("\xFF\xFE"
                                                                    "a\0\x00\xD8"
                                                                    "b\0",
            8);
        QTest::newRow("CR LF mixes") << QByteArray("a\r\n\r\rb\n\n\r");
    }

    void unmatchedFileComesOutByteForByte()
    {
        QFETCH(QByteArray, bytes);
        writeBytes(path("a.csv"), bytes);
        for (qsizetype chunk : fileChunkSizes) {
            EngineHarness harness(m_out);
            harness.context.chunkSize = chunk;
            // A lone surrogate has no UTF-8 bytes: that pair is matched on the decoded text.
            ReplaceTextInFileCombo(path("a.csv"),
                {"never", QString::fromUtf8("\xE2\x82\xAC\xE2\x82\xAC!"), QString(QChar(0xDC00))}, {"x", "y", "z"},
                harness.context);
            QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
            COMPARE_AT_CHUNK_SIZE(chunk, readBytes(m_out + "/a.csv"), bytes);
        }
    }

    void replacementEqualsWholeTextInEveryEncoding_data()
    {
        QTest::addColumn<int>("encoding");
        for (TextEncoding encoding : allEncodings())
            QTest::newRow(qPrintable(encodingLabel(encoding))) << int(encoding);
    }

    void replacementEqualsWholeTextInEveryEncoding()
    {
        QFETCH(int, encoding);
        const auto enc = TextEncoding(encoding);
        const QString text
            = QString(enc == TextEncoding::Windows1252 ? QString::fromLatin1("K\xF6ln,caf\xE9\r\n") : sample)
                  .repeated(40);
        // Pair 2 brings in a character that Windows-1252 lacks; pair 3 takes it out again.
        const QStringList finds{QString::fromUtf8("K\xC3\xB6ln"), "l", QString::fromUtf8("\xE3\x82\xA2"), ",", "\r\n"};
        const QStringList replaces{"Cologne", QString::fromUtf8("\xE3\x82\xA2"), "L", ";;", "\n"};
        writeBytes(path("a.csv"), referenceBytes(text, enc));
        const QByteArray expected = referenceBytes(replacedWholeText(text, finds, replaces), enc);
        for (qsizetype chunk : fileChunkSizes) {
            EngineHarness harness(m_out);
            harness.context.chunkSize = chunk;
            ReplaceTextInFileCombo(path("a.csv"), finds, replaces, harness.context);
            QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
            COMPARE_AT_CHUNK_SIZE(chunk, readBytes(m_out + "/a.csv"), expected);
        }
    }

    void unmarkedFileNotUtf8LateIsWindows1252Throughout()
    {
        // Valid UTF-8 for many chunks, then a byte that only Windows-1252 reads.
        const QByteArray bytes = QByteArray("\xC3\xA9t\xC3\xA9,").repeated(5000) + "\xE9t\xE9";
        writeBytes(path("a.csv"), bytes);
        EngineHarness harness(m_out);
        harness.context.chunkSize = 64;
        ReplaceTextInFileCombo(path("a.csv"), {"t"}, {"T"}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QByteArray expected = bytes;
        expected.replace('t', 'T');
        QCOMPARE(readBytes(m_out + "/a.csv"), expected);
    }

    void inPlaceWithoutMatchLeavesSourceUntouched()
    {
        writeBytes(path("a.csv"), "one,two\r\n");
        const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
        {
            QFile file(path("a.csv"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
#if defined(Q_OS_UNIX)
        const ino_t inode = [&] {
            struct stat st;
            ::stat(QFile::encodeName(path("a.csv")), &st);
            return st.st_ino;
        }();
#endif
        EngineHarness harness;
        ReplaceTextInFile(path("a.csv"), "three", "3", harness.context);
        ReplaceTextInFileCombo(path("a.csv"), {"four"}, {"4"}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(readBytes(path("a.csv")), QByteArray("one,two\r\n"));
        QCOMPARE(QFileInfo(path("a.csv")).lastModified().toUTC(), old);
#if defined(Q_OS_UNIX)
        struct stat st;
        ::stat(QFile::encodeName(path("a.csv")), &st);
        QCOMPARE(st.st_ino, inode);
#endif
    }

    void inPlaceReplacesSourceUnderItsName()
    {
        writeBytes(path("a.csv"), "one,two\r\n");
        EngineHarness harness;
        ReplaceTextInFile(path("a.csv"), "one\r\ntwo", "1\r\n2", harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(readBytes(path("a.csv")), QByteArray("1,2\r\n"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
    }

    void singleModeDeletesWithEmptyReplaceAndIgnoresEmptyFindLine()
    {
        writeBytes(path("a.csv"), "a;b;c\r\n");
        EngineHarness harness(m_out);
        ReplaceTextInFile(path("a.csv"), ";\r\n", "", harness.context);
        QCOMPARE(readBytes(m_out + "/a.csv"), QByteArray("abc\r\n"));
        QCOMPARE(harness.yields, 2); // one per find line, the empty one too
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
    }

    void singleModeYieldsBeforeEveryPairOfEveryChunkSetsModeNever()
    {
        writeBytes(path("a.csv"), QByteArray(10, 'x'));
        EngineHarness harness(m_out);
        harness.context.chunkSize = 4; // three chunks
        ReplaceTextInFile(path("a.csv"), "a\r\nb", "c\r\nd", harness.context);
        QCOMPARE(harness.yields, 6);
        harness.yields = 0;
        ReplaceTextInFileCombo(path("a.csv"), {"a", "b"}, {"c", "d"}, harness.context);
        QCOMPARE(harness.yields, 0);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
    }

    void destinationIsReadOnceAtFirstChunk()
    {
        writeBytes(path("a.csv"), QByteArray(100, 'x'));
        const QString other = path("other");
        QDir().mkpath(other);
        EngineHarness harness(m_out);
        harness.context.chunkSize = 10;
        // The user switches the folder while the file is being processed.
        harness.context.control.yield = [&] {
            if (++harness.yields > 1)
                harness.destination.outputFolder = other;
        };
        ReplaceTextInFile(path("a.csv"), "x", "y", harness.context);
        QCOMPARE(harness.destinationReads, 1);
        QCOMPARE(readBytes(m_out + "/a.csv"), QByteArray(100, 'y'));
        QVERIFY(!QFile::exists(other + "/a.csv"));
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
    }

    void stopRequestedDiscardsPartResultWithoutReport()
    {
        writeBytes(path("a.csv"), QByteArray(100, 'x'));
        writeBytes(m_out + "/a.csv", "previous");
        EngineHarness harness(m_out);
        harness.context.chunkSize = 10;
        harness.context.control.stopRequested = [&] { return harness.yields == 5; };
        ReplaceTextInFile(path("a.csv"), "x", "y", harness.context);
        QCOMPARE(harness.yields, 5);
        QCOMPARE(readBytes(m_out + "/a.csv"), QByteArray("previous"));
        QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList{"a.csv"});
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
    }

    void emptySourceGivesEmptyTargetMarkOnlyGivesMark()
    {
        writeBytes(path("empty.csv"), "");
        writeBytes(path("mark.csv"), "\xFF\xFE");
        writeBytes(m_out + "/empty.csv", "old content");
        EngineHarness harness(m_out);
        ReplaceTextInFileCombo(path("empty.csv"), {"a"}, {"b"}, harness.context);
        ReplaceTextInFileCombo(path("mark.csv"), {}, {}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(readBytes(m_out + "/empty.csv"), QByteArray());
        QCOMPARE(readBytes(m_out + "/mark.csv"), QByteArray("\xFF\xFE"));
    }

    void sameNameFromTwoFoldersLaterSourceWins()
    {
        QDir().mkpath(path("x"));
        QDir().mkpath(path("y"));
        writeBytes(path("x/a.csv"), "from x");
        writeBytes(path("y/a.csv"), "from y");
        EngineHarness harness(m_out + "/"); // trailing separator collapses
        ReplaceTextInFileCombo(path("x/a.csv"), {}, {}, harness.context);
        ReplaceTextInFileCombo(path("y/a.csv"), {}, {}, harness.context);
        QCOMPARE(readBytes(m_out + "/a.csv"), QByteArray("from y"));
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
    }

    void symlinkedTargetIsWrittenThroughAndPermissionsKept()
    {
        writeBytes(path("real.csv"), "a-b");
        QVERIFY(QFile::setPermissions(path("real.csv"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFile::Permissions permissions = QFile::permissions(path("real.csv"));
        QVERIFY(QFile::link(path("real.csv"), path("link.csv")));
        EngineHarness harness;
        ReplaceTextInFileCombo(path("link.csv"), {"-"}, {"+"}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QVERIFY(QFileInfo(path("link.csv")).isSymLink());
        QCOMPARE(readBytes(path("real.csv")), QByteArray("a+b"));
        QCOMPARE(QFile::permissions(path("real.csv")), permissions);
    }

    void targetReplacedByRootKeepsItsOwner()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("file owners are a POSIX matter");
#else
        if (::geteuid() != 0)
            QSKIP("needs root");
        writeBytes(path("a.csv"), "a-b");
        QCOMPARE(::chown(QFile::encodeName(path("a.csv")), 65534, 65534), 0);
        EngineHarness harness;
        ReplaceTextInFileCombo(path("a.csv"), {"-"}, {"+"}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QCOMPARE(readBytes(path("a.csv")), QByteArray("a+b"));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path("a.csv")), &st), 0);
        QCOMPARE(st.st_uid, uid_t(65534));
        QCOMPARE(st.st_gid, gid_t(65534));
#endif
    }

    void failuresAreReportedOnceAtTheirStep_data()
    {
        QTest::addColumn<int>("index");
        const auto& cases = failureCases();
        for (size_t i = 0; i < cases.size(); ++i)
            QTest::newRow(cases[i].name) << int(i);
    }

    void failuresAreReportedOnceAtTheirStep()
    {
        QFETCH(int, index);
        const FailureCase& failure = failureCases()[size_t(index)];
        FailureSetup setup{path("a.csv"), "x,\xE9,x", "x", "y", m_out, EngineHarness(m_out)};
        setup.harness.context.chunkSize = 4;
        if (failure.arrange)
            failure.arrange(setup);
        if (setup.skip)
            QSKIP(setup.skip);
        if (setup.createSource && !QFileInfo::exists(setup.source))
            writeBytes(setup.source, setup.bytes);
        EngineHarness& harness = setup.harness;
        const QByteArray before = readBytes(m_out + "/a.csv");
        harness.prompts.answerMessage();
        if (failure.single)
            ReplaceTextInFile(setup.source, setup.findWhat, setup.replaceWith, harness.context);
        else
            ReplaceTextInFileCombo(
                setup.source, setup.findWhat.split("\r\n"), QStringList{setup.replaceWith}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        // The report names the file it is about, then says what went wrong.
        const QString firstLine = harness.report().section("\r\n", 0, 0);
        QVERIFY2(firstLine.contains(failure.description), qPrintable(harness.report()));
        const QStringList files{setup.source, m_out + "/a.csv", path("removed/a.csv")};
        if (failure.aboutAFile)
            QVERIFY2(
                std::any_of(files.begin(), files.end(), [&](const QString& file) { return firstLine.contains(file); }),
                qPrintable(firstLine));
        const QString procedure = failure.single ? "ReplaceTextInFile " : "ReplaceTextInFileCombo ";
        QVERIFY2(
            harness.report().contains("ReplaceText." + procedure + "at line " + QString::number(failure.line) + "\r\r"),
            qPrintable(harness.report()));
        if (!setup.folderAsTarget)
            QCOMPARE(readBytes(m_out + "/a.csv"), before);
        const bool resultLeft = QFileInfo::exists(m_out + "/a.csv") && !setup.folderAsTarget;
        QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), resultLeft ? QStringList{"a.csv"} : QStringList{});
    }

    void decodeFailureNamesFileReasonAndBytes()
    {
        writeBytes(path("a.csv"),
            "\xEF\xBB\xBF"
            "abc\xE2\x82");
        EngineHarness harness(m_out);
        harness.prompts.answerMessage();
        ReplaceTextInFileCombo(path("a.csv"), {"a"}, {"b"}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QVERIFY2(harness.report().startsWith(
                     "Cannot decode \"" + path("a.csv") + "\" as UTF-8: cut byte sequence E2 82 at byte offset 6"),
            qPrintable(harness.report()));
    }

    void encodeFailureNamesCharacter()
    {
        writeBytes(path("a.csv"), "caf\xE9");
        EngineHarness harness(m_out);
        harness.prompts.answerMessage();
        ReplaceTextInFileCombo(path("a.csv"), {"caf"}, {QString::fromUtf8("\xE3\x82\xA2")}, harness.context);
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
        QVERIFY2(harness.report().startsWith("Cannot write \"" + m_out
                     + "/a.csv\" in Windows-1252: the result holds the character U+30A2 \""
                     + QString::fromUtf8("\xE3\x82\xA2") + "\""),
            qPrintable(harness.report()));
        QVERIFY(!QFile::exists(m_out + "/a.csv"));
    }

    // What the entries tell the batch run about each file.
    void outcomeOfEachKindOfFile_data()
    {
        QTest::addColumn<bool>("single");
        QTest::newRow("single") << true;
        QTest::newRow("sets") << false;
    }
    void outcomeOfEachKindOfFile()
    {
        QFETCH(bool, single);
        auto entry
            = [single](const QString& source, const QString& find, const QString& replace, EngineContext& context) {
                  return single ? ReplaceTextInFile(source, find, replace, context)
                                : ReplaceTextInFileCombo(source, {find}, {replace}, context);
              };
        writeBytes(path("many.csv"), "a,a;a\r\nb,a");
        writeBytes(path("none.csv"), "b,b");
        EngineHarness harness(m_out);
        harness.context.chunkSize = 3; // replacements are counted across chunks
        FileOutcome changed = entry(path("many.csv"), "a", "x", harness.context);
        QCOMPARE(changed.kind, FileOutcome::Changed);
        QCOMPARE(changed.replacements, 4);
        const FileOutcome unchanged = entry(path("none.csv"), "a", "x", harness.context);
        QCOMPARE(unchanged.kind, FileOutcome::Unchanged);
        QCOMPARE(unchanged.replacements, 0);
        // An output folder still gets its copy of an unchanged file.
        QCOMPARE(readBytes(m_out + "/none.csv"), QByteArray("b,b"));

        harness.prompts.answerMessage();
        const FileOutcome failed = entry(path("missing.csv"), "a", "x", harness.context);
        QCOMPARE(failed.kind, FileOutcome::Failed);
        QVERIFY2(!failed.reason.isEmpty() && harness.report().startsWith(failed.reason), qPrintable(failed.reason));
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
    }

    void countOnlyCountsAndWritesNothing_data()
    {
        outcomeOfEachKindOfFile_data();
    }
    void countOnlyCountsAndWritesNothing()
    {
        QFETCH(bool, single);
        writeBytes(path("a.csv"), "a,a,a");
        const QFileInfo before(path("a.csv"));
        const QDateTime modified = before.lastModified();
        EngineHarness harness; // in place
        harness.context.output.countOnly = true;
        const FileOutcome outcome = single ? ReplaceTextInFile(path("a.csv"), "a", "b", harness.context)
                                           : ReplaceTextInFileCombo(path("a.csv"), {"a"}, {"b"}, harness.context);
        QCOMPARE(outcome.kind, FileOutcome::Changed);
        QCOMPARE(outcome.replacements, 3);
        QCOMPARE(readBytes(path("a.csv")), QByteArray("a,a,a"));
        QCOMPARE(QFileInfo(path("a.csv")).lastModified(), modified);
        QCOMPARE(QDir(m_dir.path()).entryList({".a.csv*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    // The sets tab never yields by itself; a long file still lets the window
    // answer and can be stopped in its middle, the target left as it was.
    void setsModeKeepsWindowAliveAndStopsInsideOneFile()
    {
        writeBytes(path("big.csv"), QByteArray(1000, 'x'));
        writeBytes(m_out + "/big.csv", "previous");
        EngineHarness harness(m_out);
        harness.context.chunkSize = 10;
        harness.context.control.keepAliveMs = 0;
        int keptAlive = 0;
        QList<qint64> progress;
        harness.context.control.keepAlive = [&] { ++keptAlive; };
        harness.context.control.progress = [&](qint64 done, qint64 total) {
            QCOMPARE(total, 1000);
            progress.append(done);
        };
        harness.context.control.stopRequested = [&] { return keptAlive == 30; };
        const FileOutcome outcome = ReplaceTextInFileCombo(path("big.csv"), {"x", "y"}, {"y", "z"}, harness.context);
        QCOMPARE(outcome.kind, FileOutcome::NotReached);
        QCOMPARE(harness.yields, 0);
        QCOMPARE(keptAlive, 30);
        QVERIFY(progress.size() >= 10 && progress.size() <= 15);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QCOMPARE(readBytes(m_out + "/big.csv"), QByteArray("previous"));
        QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList{"big.csv"});
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
    }

    // The keeper is told after the whole result is written, before it takes
    // the target's place; a keeper that throws leaves the target as it was.
    void keeperSeesFinishedResultAndCanKeepTargetUnchanged()
    {
        writeBytes(path("a.csv"), "a");
        EngineHarness harness;
        QString seenTarget;
        QByteArray seenResult;
        RecordingKeeper keeper;
        keeper.onKeep = [&](const QString& target, const QByteArray& result) {
            seenTarget = target;
            seenResult = result;
            QCOMPARE(readBytes(target), QByteArray("a"));
        };
        harness.context.output.keeper = &keeper;
        QCOMPARE(ReplaceTextInFile(path("a.csv"), "a", "b", harness.context).kind, FileOutcome::Changed);
        QCOMPARE(keeper.copiedOver, QList<bool>{false});
        QCOMPARE(keeper.replacedTargets, QStringList{seenTarget});
        QCOMPARE(QFileInfo(seenTarget).canonicalFilePath(), QFileInfo(path("a.csv")).canonicalFilePath());
        QCOMPARE(seenResult, QByteArray("b"));

        keeper.onKeep = [](const QString&, const QByteArray&) { throw Failure("No space left"); };
        harness.prompts.answerMessage();
        const FileOutcome failed = ReplaceTextInFile(path("a.csv"), "b", "c", harness.context);
        QCOMPARE(failed.kind, FileOutcome::Failed);
        QCOMPARE(failed.reason, QString("No space left"));
        QCOMPARE(readBytes(path("a.csv")), QByteArray("b"));
        QCOMPARE(QDir(m_dir.path()).entryList({".a.csv*"}, QDir::Files | QDir::Hidden), QStringList());
        QVERIFY2(harness.prompts.done(), qPrintable(harness.prompts.problems()));
    }
};

QTEST_GUILESS_MAIN(TestReplaceText)
#include "test_replacetext.moc"
