// The line reader and the chunk reader: the edge cases of both and the
// sources they refuse.
#include "support/enginetestfiles.h"
#include "base/failure.h"
#include "engine/textfile/textfilereader.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include "support/specialfiles.h"

#include <QTest>

namespace {

QStringList allChunks(ReadFileChunks& reader)
{
    QStringList chunks;
    QString chunk;
    while (reader.next(chunk))
        chunks << chunk;
    return chunks;
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
        QTest::newRow("utf8 a CRLF b CRLF") << QByteArray("\xEF\xBB\xBF" "a\r\nb\r\n") << QStringList{"a", "b", ""} << utf8;
        QTest::newRow("ansi a LF b") << QByteArray("a\nb") << QStringList{"a", "b"} << ansi;
        QTest::newRow("utf8 a LF b") << QByteArray("\xEF\xBB\xBF" "a\nb") << QStringList{"a\nb"} << utf8;
        QTest::newRow("utf8 mark only") << QByteArray("\xEF\xBB\xBF") << QStringList{""} << utf8;
        QTest::newRow("ansi lone CR stays") << QByteArray("a\rb\r\nc\r") << QStringList{"a\rb", "c\r"} << ansi;
        QTest::newRow("ansi blank lines kept") << QByteArray("\n\na\n") << QStringList{"", "", "a"} << ansi;
        QTest::newRow("utf-16 mark only") << QByteArray("\xFF\xFE") << QStringList{""} << unicode;
        QTest::newRow("utf-16 lines") << QByteArray("\xFF\xFE" "a\0\r\0\n\0b\0", 10) << QStringList{"a", "b"} << unicode;
        QTest::newRow("utf-16BE") << QByteArray("\xFE\xFF\0a\0\n\0b", 8) << QStringList{"a", "b"} << unicode;
        QTest::newRow("utf-32LE") << QByteArray("\xFF\xFE\0\0x\0\0\0\n\0\0\0", 12) << QStringList{"x"} << unicode;
        QTest::newRow("ansi utf-8 bytes") << QByteArray("K\xC3\xB6ln\r\n") << QStringList{QString::fromUtf8("K\xC3\xB6ln")} << ansi;
        QTest::newRow("ansi cp1252 bytes") << QByteArray("K\xF6ln\x80\r\n") << QStringList{QString::fromUtf8("K\xC3\xB6ln\xE2\x82\xAC")} << ansi;
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
            if (length > 0) // an empty unmarked file reads as UTF-8
                QCOMPARE(int(reader.encoding()), int(encoding));
            const QStringList chunks = allChunks(reader);
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
        ReadFileChunks odd(file(QByteArray("\xFF\xFE" "a\0b", 5)));
        QVERIFY_THROWS_EXCEPTION(Failure, allChunks(odd));
        ReadFileChunks badMarked(file("\xEF\xBB\xBF" "ok\xC0\x80"));
        QVERIFY_THROWS_EXCEPTION(Failure, allChunks(badMarked));
        QVERIFY_THROWS_EXCEPTION(Failure, ReadFileLines(file(QByteArray("\x00\x00\xFE\xFF\xFF\xFF\xFF\xFF", 8))));
    }

    void sourcesThatAreNotRegularFilesFailAtOnce()
    {
        const QString fifo = m_dir.filePath("fifo");
        QStringList notFiles{m_dir.path()};
        if (makeFifo(fifo))
            notFiles << fifo << "/dev/zero";
        QElapsedTimer timer;
        timer.start();
        for (const QString& path : std::as_const(notFiles)) {
            try {
                ReadFileLines(path);
                QFAIL("no failure");
            } catch (const Failure& failure) {
                QCOMPARE(failure.description(), path + ": Not a regular file");
            }
            QVERIFY_THROWS_EXCEPTION(Failure, ReadFileChunks{path});
        }
        QVERIFY(timer.elapsed() < 5000);
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
