// The line reader and the chunk reader: the edge cases of both, chunk edges
// and failing reads on sources in memory, and the sources they refuse.
#include "base/failure.h"
#include "engine/textfile/textcodec.h"
#include "engine/textfile/textfilereader.h"

#include "support/enginetestfiles.h"
#include "support/memorysource.h"
#include "support/specialfiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// As the engine reads: what was taken is dropped when the text turns out not to be UTF-8.
QStringList allChunks(ReadFileChunks& reader)
{
    QStringList chunks;
    for (;;) {
        try {
            QString chunk;
            while (reader.next(chunk))
                chunks << chunk;
            return chunks;
        } catch (const NotUtf8&) {
            chunks.clear();
            reader.startOver();
        }
    }
}

QByteArray allBytes(ReadFileChunks& reader, QList<int>& sizes)
{
    QByteArray bytes;
    std::string_view chunk;
    while (reader.next(chunk)) {
        bytes.append(chunk.data(), qsizetype(chunk.size()));
        sizes << int(chunk.size());
    }
    return bytes;
}

// Text with characters of one, two, three and four bytes (or a surrogate pair).
QString mixedText(int length, TextEncoding encoding)
{
    const QString pieces = encoding == TextEncoding::Windows1252
        ? QString::fromLatin1("a\xE9\r\n,") + QChar(0x20AC)
        : QString::fromUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\r\n");
    QString text;
    while (text.size() < length)
        text += pieces;
    return text.left(length);
}

} // namespace

class TestTextFileReader : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString file(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath("f.txt");
        writeBytes(path, bytes);
        return path;
    }

private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("mode");
        const int ansi = int(TextMode::Ansi), utf8 = int(TextMode::Utf8), unicode = int(TextMode::Unicode);
        QTest::newRow("empty file") << QByteArray() << QStringList{""} << ansi;
        QTest::newRow("ansi a CRLF b CRLF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"} << ansi;
        QTest::newRow("utf8 a CRLF b CRLF") << QByteArray("\xEF\xBB\xBF"
                                                          "a\r\nb\r\n")
                                            << QStringList{"a", "b", ""} << utf8;
        QTest::newRow("ansi a LF b") << QByteArray("a\nb") << QStringList{"a", "b"} << ansi;
        QTest::newRow("utf8 a LF b") << QByteArray("\xEF\xBB\xBF"
                                                   "a\nb")
                                     << QStringList{"a\nb"} << utf8;
        QTest::newRow("utf8 mark only") << QByteArray("\xEF\xBB\xBF") << QStringList{""} << utf8;
        QTest::newRow("ansi lone CR stays") << QByteArray("a\rb\r\nc\r") << QStringList{"a\rb", "c\r"} << ansi;
        QTest::newRow("ansi blank lines kept") << QByteArray("\n\na\n") << QStringList{"", "", "a"} << ansi;
        QTest::newRow("utf-16 mark only") << QByteArray("\xFF\xFE") << QStringList{""} << unicode;
        QTest::newRow("utf-16 lines") << QByteArray("\xFF\xFE"
                                                    "a\0\r\0\n\0b\0",
            10) << QStringList{"a", "b"}
                                      << unicode;
        QTest::newRow("utf-16BE") << QByteArray("\xFE\xFF\0a\0\n\0b", 8) << QStringList{"a", "b"} << unicode;
        QTest::newRow("utf-32LE") << QByteArray("\xFF\xFE\0\0x\0\0\0\n\0\0\0", 12) << QStringList{"x"} << unicode;
        QTest::newRow("ansi utf-8 bytes")
            << QByteArray("K\xC3\xB6ln\r\n") << QStringList{QString::fromUtf8("K\xC3\xB6ln")} << ansi;
        QTest::newRow("ansi cp1252 bytes")
            << QByteArray("K\xF6ln\x80\r\n") << QStringList{QString::fromUtf8("K\xC3\xB6ln\xE2\x82\xAC")} << ansi;
    }

    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(int, mode);
        const LineRead read = ReadFileLines(file(bytes));
        QCOMPARE(read.lines, lines);
        QCOMPARE(int(read.mode), mode);
    }

    void chunkSizes_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("0") << 0 << QList<int>{0};
        QTest::newRow("65536") << 65536 << QList<int>{65536};
        QTest::newRow("65537") << 65537 << QList<int>{65536, 1};
        QTest::newRow("131072") << 131072 << QList<int>{65536, 65536};
    }

    void chunkSizes()
    {
        QFETCH(int, length);
        QFETCH(QList<int>, sizes);
        for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Windows1252, TextEncoding::Utf8WithMark,
                 TextEncoding::Utf16LE, TextEncoding::Utf32BE}) {
            // Non-ASCII characters make byte blocks and character chunks disagree.
            QString text(length, QChar(encoding == TextEncoding::Windows1252 ? 0xE9 : 0x20AC));
            if (length > 0)
                text[length - 1] = 'z';
            ReadFileChunks reader(file(referenceBytes(text, encoding)));
            const QStringList chunks = allChunks(reader);
            if (length > 0) // an empty unmarked file reads as UTF-8
                QCOMPARE(int(reader.encoding()), int(encoding));
            QList<int> got;
            for (const QString& chunk : chunks)
                got << int(chunk.size());
            QCOMPARE(got, sizes);
            QCOMPARE(chunks.join(QString()), text);
        }
    }

    void chunksKeepLineEndsAndCutSurrogatePairs()
    {
        const QString text = QString::fromUtf8("a\r\n\xF0\x9F\x98\x80\rb\n");
        ReadFileChunks reader(file(referenceBytes(text, TextEncoding::Utf16LE)), 2);
        QCOMPARE(allChunks(reader), (QStringList{"a\r", QString("\n") + text[3], text.mid(4, 2), "b\n"}));
        QVERIFY(reader.atEnd());
    }

    void undecodableChunksFail()
    {
        ReadFileChunks odd(file(QByteArray("\xFF\xFE"
                                           "a\0b",
            5)));
        QVERIFY_THROWS_EXCEPTION(Failure, allChunks(odd));
        ReadFileChunks badMarked(file("\xEF\xBB\xBF"
                                      "ok\xC0\x80"));
        QVERIFY_THROWS_EXCEPTION(Failure, allChunks(badMarked));
        QVERIFY_THROWS_EXCEPTION(Failure, ReadFileLines(file(QByteArray("\x00\x00\xFE\xFF\xFF\xFF\xFF\xFF", 8))));
    }

    void chunkEdgesInMemory()
    {
        for (int chunkSize : {1, 2, 3, 65536}) {
            for (TextEncoding encoding : allEncodings()) {
                const QString label = QStringLiteral("chunk size %1, %2").arg(chunkSize).arg(encodingLabel(encoding));
                const QString text = mixedText(chunkSize == 65536 ? 200003 : 41, encoding);
                const QByteArray bytes = referenceBytes(text, encoding);
                MemorySource source(bytes);
                ReadFileChunks reader(source, chunkSize);
                const QStringList chunks = allChunks(reader);
                QVERIFY2(chunks.join(QString()) == text, qPrintable(label));
                for (qsizetype i = 0; i + 1 < chunks.size(); ++i)
                    QVERIFY2(chunks[i].size() == chunkSize, qPrintable(label));
                QVERIFY2(!chunks.last().isEmpty() && chunks.last().size() <= chunkSize, qPrintable(label));
                QVERIFY2(reader.encoding() == encoding, qPrintable(label));
                QVERIFY2(reader.atEnd(), qPrintable(label));
                QVERIFY2(source.largestRead() <= qMax(65536, chunkSize), qPrintable(label));
                if (unitSize(encoding) != 1)
                    continue;
                // The bytes as they are, cut at the same sizes; a character may be cut.
                MemorySource again(bytes);
                ReadFileChunks byteReader(again, chunkSize);
                QList<int> sizes;
                const int markSize = int(markOf(encoding).size());
                if (encoding == TextEncoding::Windows1252) {
                    QVERIFY_THROWS_EXCEPTION(NotUtf8, allBytes(byteReader, sizes));
                    byteReader.startOver();
                    sizes.clear();
                }
                QVERIFY2(allBytes(byteReader, sizes) == bytes.mid(markSize), qPrintable(label));
                for (qsizetype i = 0; i + 1 < sizes.size(); ++i)
                    QVERIFY2(sizes[i] == chunkSize, qPrintable(label));
            }
        }
    }

    void unmarkedTextIsDecidedWhileReadingWithoutReadingAhead()
    {
        // UTF-8 for 200,000 bytes, then one byte that UTF-8 does not allow.
        const QByteArray bytes = QString(100000, QChar(0xE9)).toUtf8() + "\x80";
        MemorySource source(bytes);
        ReadFileChunks reader(source, 65536);
        QStringView chunk;
        QVERIFY(reader.next(chunk));
        QCOMPARE(int(reader.encoding()), int(TextEncoding::Utf8));
        QCOMPARE(chunk.size(), 65536);
        QVERIFY(source.largestRead() <= 65536);
        QVERIFY_THROWS_EXCEPTION(NotUtf8, while (reader.next(chunk)){});
        reader.startOver();
        QCOMPARE(int(reader.encoding()), int(TextEncoding::Windows1252));
        QCOMPARE(allChunks(reader).join(QString()), QString::fromLatin1(bytes.chopped(1)) + QChar(0x20AC));
        QVERIFY(source.largestRead() <= 65536);
        // The line reader keeps the same rule.
        QCOMPARE(ReadFileLines(file("caf\xC3\xA9\n\xE9")).lines,
            (QStringList{QString::fromLatin1("caf\xC3\xA9"), QString::fromLatin1("\xE9")}));
        QCOMPARE(ReadFileLines(file("caf\xC3\xA9\n")).lines, QStringList{QString::fromUtf8("caf\xC3\xA9")});
    }

    void unmarkedBytesForAsciiSearchAreTakenUncheckedButMarkedOnesAreNot()
    {
        const QByteArray bytes = QByteArray("caf\xE9 ") + QString(40000, QChar(0xE9)).toUtf8() + "\x80\xC3";
        MemorySource source(bytes);
        ReadFileChunks reader(source, 3);
        reader.readUnmarkedUnchecked();
        QList<int> sizes;
        QCOMPARE(allBytes(reader, sizes), bytes);
        QCOMPARE(int(reader.encoding()), int(TextEncoding::Utf8));
        ReadFileChunks marked(file("\xEF\xBB\xBF"
                                   "ok\xC0\x80"));
        marked.readUnmarkedUnchecked();
        QVERIFY_THROWS_EXCEPTION(Failure, allBytes(marked, sizes));
    }

    void readFailingMidFileReportsItsText()
    {
        for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf16LE}) {
            MemorySource source(referenceBytes(QString(300000, 'x'), encoding), 150000, "Input/output error");
            ReadFileChunks reader(source, 65536);
            try {
                allChunks(reader);
                QFAIL("no failure");
            } catch (const Failure& failure) {
                QCOMPARE(failure.description(), QString("Input/output error"));
            }
        }
        MemorySource early(QByteArray("abc"), 0, "Stale file handle");
        QVERIFY_THROWS_EXCEPTION(Failure, ReadFileChunks(early, 65536));
    }

    void sourcesThatAreNotRegularFilesFailAtOnce()
    {
        const QString fifo = m_dir.filePath("fifo");
        QStringList notFiles{m_dir.path()};
        if (makeFifo(fifo))
            notFiles << fifo << "/dev/zero";
        // An open that blocked on the FIFO would hang here until the test's timeout.
        for (const QString& path : std::as_const(notFiles)) {
            try {
                ReadFileLines(path);
                QFAIL("no failure");
            } catch (const Failure& failure) {
                QCOMPARE(failure.description(), path + ": Not a regular file");
            }
            QVERIFY_THROWS_EXCEPTION(Failure, ReadFileChunks{path});
        }
        try {
            ReadFileLines(m_dir.filePath("missing"));
            QFAIL("no failure");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(), m_dir.filePath("missing") + ": No such file or directory");
        }
    }
};

QTEST_GUILESS_MAIN(TestTextFileReader)
#include "test_textfilereader.moc"
