// Detection from the first bytes, the Windows-1252 table, the UTF-8 check and
// the strict converters.
#include "engine/textfile/textcodec.h"
#include "engine/textfile/textencoding.h"
#include "engine/textfile/utf8validator.h"
#include "engine/textfile/windows1252.h"

#include "support/enginetestfiles.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

class TestTextEncoding : public QObject {
    Q_OBJECT

private slots:
    void detectionTable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<int>("markSize");
        const auto row = [](const char* name, QByteArray bytes, TextMode mode, TextEncoding encoding, int mark) {
            QTest::newRow(name) << bytes << int(mode) << int(encoding) << mark;
        };
        row("empty", "", TextMode::Ansi, TextEncoding::Utf8, 0);
        row("FF", "\xFF", TextMode::Ansi, TextEncoding::Utf8, 0);
        row("41 42", "AB", TextMode::Ansi, TextEncoding::Utf8, 0);
        row("FF FE", "\xFF\xFE", TextMode::Unicode, TextEncoding::Utf16LE, 2);
        row("FE FF", "\xFE\xFF", TextMode::Unicode, TextEncoding::Utf16BE, 2);
        row("FF FE 41",
            "\xFF\xFE"
            "A",
            TextMode::Unicode, TextEncoding::Utf16LE, 2);
        row("EF BB BF", "\xEF\xBB\xBF", TextMode::Utf8, TextEncoding::Utf8WithMark, 3);
        row("EF BB", "\xEF\xBB", TextMode::Ansi, TextEncoding::Utf8, 0);
        row("FF FE 00 00", QByteArray("\xFF\xFE\x00\x00", 4), TextMode::Unicode, TextEncoding::Utf32LE, 4);
        row("FF FE 00 (3 bytes)", QByteArray("\xFF\xFE\x00", 3), TextMode::Unicode, TextEncoding::Utf16LE, 2);
        row("00 00 FE FF", QByteArray("\x00\x00\xFE\xFF", 4), TextMode::Unicode, TextEncoding::Utf32BE, 4);
        row("00 00 FE (3 bytes)", QByteArray("\x00\x00\xFE", 3), TextMode::Ansi, TextEncoding::Utf8, 0);
        row("FF FE 00 00 41",
            QByteArray("\xFF\xFE\x00\x00"
                       "A",
                5),
            TextMode::Unicode, TextEncoding::Utf32LE, 4);
        row("EF BB BF 41",
            "\xEF\xBB\xBF"
            "A",
            TextMode::Utf8, TextEncoding::Utf8WithMark, 3);
    }

    void detectionTable()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, mode);
        QFETCH(int, encoding);
        QFETCH(int, markSize);
        const SourceEncoding found = encodingFromMark(bytes.constData(), bytes.size());
        QCOMPARE(int(found.mode), mode);
        QCOMPARE(int(found.encoding), encoding);
        QCOMPARE(found.markSize, markSize);
        QTemporaryDir dir;
        writeBytes(dir.filePath("f"), bytes);
        QCOMPARE(int(DetectTextEncoding(dir.filePath("f"))), mode);
    }

    void detectionOfMissingOrNonRegularFileFails()
    {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(Failure, DetectTextEncoding(dir.filePath("missing")));
        QVERIFY_THROWS_EXCEPTION(Failure, DetectTextEncoding(dir.path()));
    }

    void windows1252MatchesSystemConverterAndRoundTripsEveryByte()
    {
        QStringDecoder system("windows-1252");
        QVERIFY(system.isValid());
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString expected = system.decode(QByteArrayView(&byte, 1));
            QCOMPARE(QString(QChar(windows1252ToUnicode(uchar(b)))), expected);
            QCOMPARE(unicodeToWindows1252(windows1252ToUnicode(uchar(b))), b);
        }
        QCOMPARE(unicodeToWindows1252(0x0080), -1); // byte 80 is the euro sign
        QCOMPARE(unicodeToWindows1252(0x30A2), -1);
    }

    void utf8Validator_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("errorOffset");
        QTest::newRow("ascii") << QByteArray("plain text, 123\r\n") << true << qint64(-1);
        QTest::newRow("two to four bytes")
            << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF") << true << qint64(-1);
        QTest::newRow("NUL bytes") << QByteArray("a\0b", 3) << true << qint64(-1);
        QTest::newRow("lone continuation") << QByteArray("ab\x80") << false << qint64(2);
        QTest::newRow("overlong 2") << QByteArray("\xC0\xAF") << false << qint64(0);
        QTest::newRow("overlong 3") << QByteArray("x\xE0\x80\xAF") << false << qint64(1);
        QTest::newRow("overlong 4") << QByteArray("\xF0\x80\x80\xAF") << false << qint64(0);
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false << qint64(0);
        QTest::newRow("above 10FFFF") << QByteArray("\xF4\x90\x80\x80") << false << qint64(0);
        QTest::newRow("F5") << QByteArray("\xF5\x80\x80\x80") << false << qint64(0);
        QTest::newRow("cut at end") << QByteArray("abc\xE2\x82") << false << qint64(3);
        QTest::newRow("ascii inside sequence") << QByteArray("\xE2"
                                                             "a")
                                               << false << qint64(0);
        QTest::newRow("late error after long ascii") << QByteArray(100, 'a') + "\xFF" << false << qint64(100);
    }

    void utf8Validator()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QFETCH(qint64, errorOffset);
        QCOMPARE(isValidUtf8(bytes.constData(), bytes.size()), valid);
        // The same answer wherever the blocks are cut.
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            Utf8Validator validator;
            const bool ok = validator.check(bytes.constData(), cut)
                && validator.check(bytes.constData() + cut, bytes.size() - cut) && validator.finish();
            QCOMPARE(ok, valid);
            QCOMPARE(validator.errorOffset(), errorOffset);
        }
        // The same answer wherever the bytes sit in a block that is skipped as ASCII.
        for (int lead = 1; lead <= 40; ++lead) {
            const QByteArray padded = QByteArray(lead, 'a') + bytes + QByteArray(40 - lead, 'z');
            Utf8Validator validator;
            const bool ok = validator.check(padded.constData(), padded.size()) && validator.finish();
            QCOMPARE(ok, valid);
            QCOMPARE(validator.errorOffset(), valid ? qint64(-1) : errorOffset + lead);
            Utf8Validator byteByByte; // reports the same bytes
            for (char byte : padded)
                byteByByte.check(&byte, 1);
            byteByByte.finish();
            QCOMPARE(validator.errorBytes(), byteByByte.errorBytes());
        }
    }

    void decoderCarriesCutCharactersAcrossBlocks_data()
    {
        QTest::addColumn<int>("encoding");
        for (TextEncoding encoding : allEncodings())
            QTest::newRow(qPrintable(encodingLabel(encoding))) << int(encoding);
    }

    void decoderCarriesCutCharactersAcrossBlocks()
    {
        QFETCH(int, encoding);
        const auto enc = TextEncoding(encoding);
        const QString text = enc == TextEncoding::Windows1252
            ? QString("caf") + QChar(0xE9) + QChar(0x20AC) + QChar(0x81)
            : QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80!");
        const QByteArray bytes = referenceBytes(text, enc).mid(markOf(enc).size());
        for (qsizetype block = 1; block <= 5; ++block) {
            TextDecoder decoder(enc, "f", 0);
            QString decoded;
            for (qsizetype at = 0; at < bytes.size(); at += block)
                decoder.decode(bytes.constData() + at, qMin(block, bytes.size() - at), decoded);
            decoder.finish();
            QCOMPARE(decoded, text);
            TextEncoder encoder(enc, "f");
            QByteArray encoded;
            for (qsizetype at = 0; at < text.size(); at += block)
                encoder.encode(QStringView(text).mid(at, block), encoded);
            encoder.finish();
            QCOMPARE(encoded, bytes);
        }
    }

    void strictFailures()
    {
        const QString lone = QString(QChar(0xD800)) + "a";
        QByteArray out;
        for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf32LE}) {
            TextEncoder encoder(encoding, "t");
            QVERIFY_THROWS_EXCEPTION(Failure, encoder.encode(lone, out));
            TextEncoder atEnd(encoding, "t");
            atEnd.encode(QString(QChar(0xDBFF)), out);
            QVERIFY_THROWS_EXCEPTION(Failure, atEnd.finish());
        }
        TextEncoder utf16(TextEncoding::Utf16LE, "t");
        utf16.encode(lone, out); // UTF-16 holds any unit
        QVERIFY(!isRepresentable(lone, TextEncoding::Utf8));
        QVERIFY(isRepresentable(lone, TextEncoding::Utf16BE));
        QVERIFY(!isRepresentable(QString::fromUtf8("\xE3\x82\xA2"), TextEncoding::Windows1252));
        QVERIFY(isRepresentable(QString::fromUtf8("\xE2\x82\xAC\xC3\xA9"), TextEncoding::Windows1252));

        TextDecoder unmarked(TextEncoding::Utf8, "f", 0);
        QString text;
        QVERIFY_THROWS_EXCEPTION(NotUtf8, unmarked.decode("\xFF", 1, text));
        TextDecoder utf32(TextEncoding::Utf32LE, "f", 4);
        QVERIFY_THROWS_EXCEPTION(Failure, utf32.decode("\x00\xD8\x00\x00", 4, text));
    }
};

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "test_textencoding.moc"
