// A review through the real engine entries: it writes nothing, and its
// counts and changed lines agree with what the real run makes of the same
// file, on both tabs, in every encoding, at every chunk size.
#include "engine/output/filereview.h"
#include "engine/replace/replacetext.h"
#include "engine/search/searchlevel.h"

#include "support/engineharness.h"
#include "support/enginetestfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QString sample = QString::fromUtf8("id,city,note\r\n1,Berlin,K\xC3\xB6ln\n2,Paris,\xE2\x82\xAC uro\r"
                                         "3,Berlin Berlin,none\r\n4,Zoo,\r\n\n5,K\xC3\xB6ln,uro\r");
const QStringList finds{"Berlin", QString::fromUtf8("\xC3\xB6"), "uro", "Zo", "bur"};
const QStringList replaces{"Hamburg", "oe", QString::fromUtf8("\xE2\x82\xAC"), "Z", "BUR"};

// The source's lines: cut at CR LF, LF and a lone CR.
QStringList linesOf(const QString& text)
{
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == '\n' || c == '\r') {
            lines << line;
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// Line number, before and after, for pairs with no line break: line by line.
QStringList expectedLines(const QString& text)
{
    QStringList expected;
    const QStringList lines = linesOf(text);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString after = replacedWholeText(lines[n], finds, replaces);
        if (after != lines[n])
            expected << QString::number(n + 1) + ": " + lines[n] + " => " + after;
    }
    return expected;
}

QStringList shown(const FileReview& review)
{
    QStringList lines;
    for (const ChangedLine& line : review.lines)
        lines << QString::number(line.number) + ": " + line.before + " => " + line.after;
    return lines;
}

// Every line with its parts, as "3: a[b]c => a[X]c".
QStringList shownWithParts(const FileReview& review)
{
    const auto marked = [](const QString& text, const QList<ChangedLine::Part>& parts) {
        QString shown = text;
        for (qsizetype p = parts.size(); p-- > 0;)
            shown.insert(parts[p].at + parts[p].length, ']').insert(parts[p].at, '[');
        return shown;
    };
    QStringList lines;
    for (const ChangedLine& line : review.lines)
        lines << QString::number(line.number) + ": " + marked(line.before, line.beforeParts) + " => "
                + marked(line.after, line.afterParts) + (line.beforeCut || line.afterCut ? " cut" : "");
    return lines;
}

// What lies outside the replaced parts is the same on both sides.
QStringList outsideParts(const QString& text, const QList<ChangedLine::Part>& parts)
{
    QStringList pieces;
    int at = 0;
    for (const ChangedLine::Part& part : parts) {
        pieces << text.mid(at, part.at - at);
        at = part.at + part.length;
    }
    pieces << text.mid(at);
    return pieces;
}

} // namespace

class TestReviewSink : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // The review of one file on one tab, checked to leave the file as it was.
    FileReview review(const QString& path, bool single, qsizetype chunk, FileOutcome* outcome = nullptr,
        const QStringList& f = finds, const QStringList& r = replaces)
    {
        const QByteArray before = readBytes(path);
        EngineHarness harness;
        ReviewRecorder recorder;
        harness.context.output.review = &recorder;
        harness.context.chunkSize = chunk;
        const FileOutcome got = single ? ReplaceTextInFile(path, f.join("\r\n"), r.join("\r\n"), harness.context)
                                       : ReplaceTextInFileCombo(path, f, r, harness.context);
        if (outcome)
            *outcome = got;
        FileReview kept;
        [&] {
            QVERIFY2(harness.prompts.shown().isEmpty(), qPrintable(harness.report()));
            QVERIFY(recorder.take(kept));
            QCOMPARE(readBytes(path), before);
        }();
        return kept;
    }

private slots:
    void countsAndLinesAgreeWithTheRunInEveryEncodingAndChunkSize()
    {
        const QString text = sample.repeated(3);
        for (TextEncoding encoding : allEncodings()) {
            for (const bool single : {true, false}) {
                const QString source = dir.filePath("review.csv");
                const QString copy = dir.filePath("written.csv");
                writeBytes(copy, referenceBytes(text, encoding));
                EngineHarness real;
                const FileOutcome written = single
                    ? ReplaceTextInFile(copy, finds.join("\r\n"), replaces.join("\r\n"), real.context)
                    : ReplaceTextInFileCombo(copy, finds, replaces, real.context);
                QCOMPARE(written.kind, FileOutcome::Changed);
                for (const qsizetype chunk : {1, 2, 3, 6, 65536}) {
                    const QByteArray label = encodingLabel(encoding).toUtf8() + (single ? " single " : " sets ")
                        + QByteArray::number(chunk);
                    writeBytes(source, referenceBytes(text, encoding));
                    FileOutcome outcome;
                    const FileReview got = review(source, single, chunk, &outcome);
                    QVERIFY2(outcome.kind == FileOutcome::Changed, label);
                    QVERIFY2(outcome.replacements == written.replacements, label);
                    QVERIFY2(got.replacements == written.replacements, label);
                    QVERIFY2(got.problem.isEmpty(), qPrintable(got.problem));
                    QVERIFY2(shown(got) == expectedLines(text), qPrintable(label + "\n" + shown(got).join('\n')));
                    qint64 sum = 0;
                    for (qint64 n : got.pairReplacements)
                        sum += n;
                    QVERIFY2(sum == got.replacements && got.pairReplacements.size() == 5, label);
                    for (const ChangedLine& line : got.lines) {
                        QVERIFY2(line.beforeParts.size() == line.afterParts.size(), label);
                        QVERIFY2(
                            outsideParts(line.before, line.beforeParts) == outsideParts(line.after, line.afterParts),
                            label);
                    }
                }
            }
        }
    }

    // Past the pairs from which the real run finds through an index and runs
    // pairs together, the review still counts and writes what it does.
    void manyPairsAgreeWithTheRun()
    {
        QStringList many;
        QStringList into;
        for (int k = 0; k < 80; ++k) {
            many << QStringLiteral("k%1;").arg(k);
            into << (k % 7 == 0 ? QStringLiteral("k%1;").arg(k + 1) : QStringLiteral("v%1").arg(k));
        }
        QString text;
        for (int n = 0; n < 400; ++n)
            text += QStringLiteral("row %1,k%2;k%3;,x\r\n").arg(n).arg(n % 90).arg((n * 7) % 85);
        const QString source = dir.filePath("many.csv");
        const QString copy = dir.filePath("many-written.csv");
        writeBytes(copy, text.toUtf8());
        EngineHarness real;
        const FileOutcome written = ReplaceTextInFileCombo(copy, many, into, real.context);
        for (const qsizetype chunk : {1, 7, 65536}) {
            writeBytes(source, text.toUtf8());
            const FileReview got = review(source, false, chunk, nullptr, many, into);
            QCOMPARE(got.replacements, written.replacements);
            // Line by line, the run's own result.
            const QStringList after = linesOf(QString::fromUtf8(readBytes(copy)));
            const QStringList before = linesOf(text);
            QStringList expected;
            for (qsizetype n = 0; n < before.size(); ++n) {
                if (before[n] != after[n])
                    expected << QString::number(n + 1) + ": " + before[n] + " => " + after[n];
            }
            QCOMPARE(shown(got), expected);
        }
    }

    // Lines that lie whole in a piece are kept as they stand there, the
    // others piece by piece: on texts of every kind of line break, with
    // breaks in what is replaced and lines longer than what is kept, both
    // give the same lines, numbers and parts at every chunk size, and the
    // untouched lines between them are counted alike at every search level.
    void linesWholeInAPieceAgreeWithLinesAcrossPieces()
    {
        // Untouched lines in a row too, counted in blocks at the wider search levels.
        const QStringList tokens{"Berlin", "x", ",", "\r\n", "\n", "\r", QString::fromUtf8("\xC3\xB6"), "Ber", "lin",
            "\r\n\r\n", "xx", QString("a\r\nb\nc\rd\r\n").repeated(24)};
        const QStringList f{"Berlin", "x,", QString::fromUtf8("\xC3\xB6"), "\rB", "\n\r"};
        const QStringList r{"Hamburg", "", "oe", "|", "\n"};
        quint32 seed = 7;
        const auto next = [&seed](quint32 below) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % below;
        };
        for (int round = 0; round < 6; ++round) {
            QString text;
            while (text.size() < 3000)
                text += next(40) == 0 ? QString(1200, 'y') : tokens[qsizetype(next(quint32(tokens.size())))];
            const QString path = dir.filePath("mixed.csv");
            writeBytes(path, text.toUtf8());
            const QStringList whole = shownWithParts(review(path, round % 2 == 0, 65536, nullptr, f, r));
            QVERIFY(!whole.isEmpty());
            for (const SearchLevel level : {SearchLevel::Scalar, SearchLevel::Sse2, SearchLevel::Avx2}) {
                const SearchLevelOverride override(level);
                for (const qsizetype chunk : {1, 5, 33, 700, 65536}) {
                    const QStringList got = shownWithParts(review(path, round % 2 == 0, chunk, nullptr, f, r));
                    QVERIFY2(got == whole,
                        qPrintable(QString("%1, chunk %2\n").arg(searchLevelName(level)).arg(chunk) + got.join('\n')
                            + "\n---\n" + whole.join('\n')));
                }
            }
        }
    }

    void partsAndPairCountsOfOneLine()
    {
        const QString path = dir.filePath("parts.csv");
        writeBytes(path, "x Berlin y Berlin, Zoo\r\nno\r\n");
        const FileReview got = review(path, false, 65536);
        QCOMPARE(got.lines.size(), 1);
        const ChangedLine& line = got.lines.first();
        QCOMPARE(line.number, 1);
        QCOMPARE(line.after, QString("x HamBURg y HamBURg, Zo"));
        QCOMPARE(line.afterParts.size(), 3);
        QCOMPARE(line.afterParts[0].at, 2);
        QCOMPARE(line.afterParts[0].length, 7);
        QCOMPARE(line.beforeParts[0].length, 6);
        QCOMPARE(line.afterParts[2].at, 21);
        QCOMPARE(line.afterParts[2].length, 1);
        QCOMPARE(got.pairReplacements, (std::vector<qint64>{2, 0, 0, 1, 2}));
    }

    // A replacement across a line break joins the lines it spans; the line
    // numbers after it still count the source's lines.
    void aReplacedLineBreakJoinsLines()
    {
        const QString path = dir.filePath("join.csv");
        writeBytes(path, "a\r\nb\r\nc\rd\ne\r\n");
        for (const qsizetype chunk : {1, 2, 3, 65536}) {
            const FileReview got = review(path, false, chunk, nullptr, {"\r\nb", "\rd", "e"}, {"+", "-", "E"});
            QCOMPARE(shown(got), (QStringList{"1: a\r\nb => a+", "3: c\rd => c-", "5: e => E"}));
            QCOMPARE(got.lines[0].beforeParts.first().at, 1);
            QCOMPARE(got.lines[0].beforeParts.first().length, 3);
        }
    }

    // Replaced line breaks join lines, also a CR LF's LF alone.
    void aCrLfSplitByAReplacementJoinsLines()
    {
        const QString path = dir.filePath("split.csv");
        writeBytes(path, "a\r\nb\nc\r\n");
        for (const qsizetype chunk : {1, 2, 65536}) {
            const FileReview got = review(path, false, chunk, nullptr, {"\n"}, {"|"});
            QCOMPARE(shown(got), (QStringList{"1: a\r\nb\nc\r\n => a\r|b|c\r|"}));
        }
    }

    void keepsAThousandLinesOfAThousandCharacters()
    {
        const QString path = dir.filePath("many.csv");
        QByteArray bytes = QByteArray(1500, 'x') + "Berlin\n";
        for (int n = 0; n < 1200; ++n)
            bytes += "Berlin\n";
        writeBytes(path, bytes);
        const FileReview got = review(path, false, 4096);
        QCOMPARE(got.lines.size(), 1000);
        QCOMPARE(got.moreLines, 201);
        QCOMPARE(got.moreLinesText(), QString("and 201 more changed lines"));
        const ChangedLine& first = got.lines.first();
        QVERIFY(first.beforeCut && first.afterCut);
        QCOMPARE(first.before, QString(1000, 'x') + ChangedLine::cutMark());
        QVERIFY(first.afterParts.isEmpty()); // beyond the cut
        QCOMPARE(got.lines.last().number, 1000);
    }

    // What a review keeps of a long file changed on every line, and of one
    // long line changed all along, stays within the lines and characters kept.
    void keepsLittleOfALongFileChangedEverywhere()
    {
        const QString path = dir.filePath("long.csv");
        writeBytes(path, QByteArray("a,b,c,Berlin\r\n").repeated(200000));
        const FileReview many = review(path, false, 65536);
        QCOMPARE(many.replacements, 400000); // Berlin, then its "bur"
        QCOMPARE(many.lines.size(), 1000);
        QCOMPARE(many.moreLines, 199000);

        writeBytes(path, QByteArray("Berlin,").repeated(400000));
        const FileReview wide = review(path, false, 65536);
        QCOMPARE(wide.lines.size(), 1);
        const ChangedLine& line = wide.lines.first();
        QCOMPARE(line.before.size(), 1001);
        QCOMPARE(line.after.size(), 1001);
        QVERIFY(line.after.endsWith(ChangedLine::cutMark()));
        QCOMPARE(line.afterParts.size(), 125); // "Hamburg," from 0 to 992
        QCOMPARE(line.afterParts.last().length, 7);

        // A line deleted a piece at a time: its parts stay within the units kept.
        writeBytes(path, QByteArray(3000000, 'x'));
        const FileReview gone = review(path, false, 65536, nullptr, {"x"}, {""});
        QCOMPARE(gone.replacements, 3000000);
        QCOMPARE(gone.lines.size(), 1);
        const ChangedLine& deleted = gone.lines.first();
        QCOMPARE(deleted.before, QString(1000, 'x') + ChangedLine::cutMark());
        QCOMPARE(deleted.beforeParts.size(), 1000);
        QCOMPARE(deleted.after, QString());
        QCOMPARE(deleted.afterParts.size(), 1);
        QCOMPARE(deleted.afterParts.first().length, 0);
    }

    void tellsWhatARunWouldFailOn()
    {
        const QString readOnly = dir.filePath("readonly.csv");
        writeBytes(readOnly, "Berlin\n");
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        // Nobody may write it: refused even for root.
        const FileReview got = review(readOnly, false, 65536);
        QCOMPARE(got.problemText(), "would fail: " + readOnly + ": Permission denied");
        QCOMPARE(got.lines.size(), 1);
        // Unchanged, it would not be written at all.
        const FileReview untouched = review(readOnly, false, 65536, nullptr, {"none"}, {"x"});
        QVERIFY(untouched.problem.isEmpty());

        const QString western = dir.filePath("western.csv");
        writeBytes(western, referenceBytes(QString::fromUtf8("K\xC3\xB6ln\n"), TextEncoding::Windows1252));
        const FileReview snowman = review(western, false, 65536, nullptr, {"K"}, {QString::fromUtf8("\xE2\x98\x83")});
        QVERIFY2(snowman.problemText().startsWith("would fail: "), qPrintable(snowman.problem));
        QCOMPARE(snowman.lines.first().after, QString::fromUtf8("\xE2\x98\x83\xC3\xB6ln"));
    }

    void keepsTheSourceAsItWasRead()
    {
        const QString path = dir.filePath("identity.csv");
        writeBytes(path, "Berlin\n");
        const FileReview got = review(path, false, 65536);
#ifdef Q_OS_UNIX
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(got.source.inode, quint64(st.st_ino));
#endif
        QCOMPARE(got.source.size, 7);
        QCOMPARE(got.path, path);
    }
};

QTEST_GUILESS_MAIN(TestReviewSink)
#include "test_reviewsink.moc"
