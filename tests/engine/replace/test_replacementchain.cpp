// The streaming replacement against replacing on the whole text, over many
// chunk sizes and random texts with cascading pairs, a few or thousands.
#include "engine/replace/replacementchain.h"

#include "support/randomtext.h"
#include "support/streamtester.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using Pair = StreamPair;

// Pairs of which some occur, some cascade and most find nothing, as in a
// table of codes; finds of one to eight units, so that every kind of key is
// used. No replacement is longer than its find, or a thousand cascading pairs
// could grow the text beyond any bound.
QList<Pair> manyRandomPairs(QRandomGenerator& random, int count)
{
    QList<Pair> pairs;
    for (int j = 0; j < count; ++j) {
        const bool rare = random.bounded(4) != 0;
        QString find = randomText(random, rare ? "abcdefghxyz" : "abc", 8);
        if (find.isEmpty())
            find = "a";
        pairs.append({find, randomText(random, "abcxyz", int(find.size()))});
    }
    return pairs;
}

// Pairs most of which cannot affect one another, so that runs of them are
// replaced together: finds in lower case, most replace texts in upper case.
// Some finds overlap themselves or are longer than sixteen units; a few
// replace texts make finds, which ends a run.
QList<Pair> pairsMostlyApart(QRandomGenerator& random, int count)
{
    QList<Pair> pairs;
    for (int j = 0; j < count; ++j) {
        QString find;
        switch (random.bounded(6)) {
        case 0: find = QString(1 + random.bounded(3), QChar('a' + random.bounded(8))); break; // "aaa"
        case 1: find = randomText(random, "ijklmnop", 24) + "q"; break; // long ones
        default: find = randomText(random, "abcdefghijklmnop", 5) + QChar('a' + random.bounded(16)); break;
        }
        const bool makes = random.bounded(10) == 0;
        pairs.append({find, randomText(random, makes ? "abcdefgh" : "XYZ", 4) + (makes ? "" : "W")});
    }
    return pairs;
}

} // namespace

class TestReplacementChain : public QObject {
    Q_OBJECT

private slots:
    void replacementRules_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("finds");
        QTest::addColumn<QStringList>("replaces");
        QTest::addColumn<QString>("expected");
        QTest::newRow("case-sensitive") << "ABC abc" << QStringList{"abc"} << QStringList{"x"} << "ABC x";
        QTest::newRow("cascade a>b, b>c") << "a" << QStringList{"a", "b"} << QStringList{"b", "c"} << "c";
        QTest::newRow("cascade b>c, a>b") << "a" << QStringList{"b", "a"} << QStringList{"c", "b"} << "b";
        QTest::newRow("aa>b on aaa") << "aaa" << QStringList{"aa"} << QStringList{"b"} << "ba";
        QTest::newRow("a>aa no second pass") << "a" << QStringList{"a"} << QStringList{"aa"} << "aa";
        QTest::newRow("empty find changes nothing") << "abc" << QStringList{""} << QStringList{"x"} << "abc";
        QTest::newRow("deletion") << "a,b,,c" << QStringList{","} << QStringList{""} << "abc";
        QTest::newRow("empty text") << "" << QStringList{"a"} << QStringList{"b"} << "";
        QTest::newRow("line ends untouched") << "a\r\nb\rc\n" << QStringList{"b"} << QStringList{"B"} << "a\r\nB\rc\n";
        QTest::newRow("find equals text") << "abc" << QStringList{"abc"} << QStringList{"z"} << "z";
        QTest::newRow("find longer than text") << "ab" << QStringList{"abc"} << QStringList{"z"} << "ab";
    }

    void replacementRules()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, finds);
        QFETCH(QStringList, replaces);
        QFETCH(QString, expected);
        QList<Pair> pairs;
        for (qsizetype j = 0; j < finds.size(); ++j)
            pairs.append({finds[j], replaces[j]});
        QCOMPARE(wholeText(input, pairs), expected);
        StreamTester(pairs).test(input);
    }

    void occurrenceAcrossChunkBoundaryIsReplaced()
    {
        const QString input = QString(65534, 'x') + "target" + QString(10, 'y');
        const StreamConfiguration pieces{65536, 0, searchLevel(), ChainTuning{}, "default thresholds"};
        QCOMPARE(streamedUnits(input, {{"target", "N"}}, pieces), QString(65534, 'x') + "N" + QString(10, 'y'));
        QCOMPARE(streamedBytes(input, {{"target", "N"}}, pieces), QString(65534, 'x') + "N" + QString(10, 'y'));
    }

    void replacementMadeInOneChunkIsMatchedByLaterPairAcrossBoundary()
    {
        // Pair 1 grows the text so that pair 2's occurrence spans pair 1's output pieces.
        StreamTester({{"b", "bc"}, {"cab", "X"}, {"X", "Y"}}).test("abababab");
    }

    void randomTextsAndCascadingPairsEqualWholeText()
    {
        QRandomGenerator random(20240607);
        const QString alphabet = "abc";
        for (int round = 0; round < 3000; ++round) {
            // Long texts too, so that the vectorised search meets many candidates.
            const QString input = randomText(random, alphabet, round % 3 == 0 ? 400 : 60);
            QList<Pair> pairs;
            const int count = 1 + random.bounded(4);
            for (int j = 0; j < count; ++j) {
                QString find = randomText(random, alphabet, 4);
                pairs.append({find, randomText(random, alphabet, 4)});
            }
            StreamTester(pairs).test(input);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void thousandsOfRandomPairsEqualWholeText()
    {
        QRandomGenerator random(20261208);
        for (int round = 0; round < 4; ++round) {
            const QString input = randomText(random, "abcdxyz", 1000);
            const QList<Pair> pairs = manyRandomPairs(random, 1000 + 1000 * round);
            StreamTester(pairs).test(input);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void manyPairsFindWhatEarlierPairsMade()
    {
        // The tester also runs these through the index, as with many pairs.
        // A deletion joins the two halves of a later find.
        StreamTester({{"X", ""}, {"ab", "Z"}}).test("aXb aXXb");
        // Inserted text completes a later find on either side.
        StreamTester({{"p", "rs"}, {"srq", "T"}, {"sps", "U"}, {"T", "V"}}).test("pq rq ps");
        // A replacement of the same length, in place.
        StreamTester({{"b", "x"}, {"axc", "y"}, {"cy", "zz"}}).test("abcabc");
        // A long find that only a chain of replacements makes.
        StreamTester({{"1", "aaaa"}, {"2", "bbbb"}, {"aaaabbbb3", "!"}, {"!4", "done"}}).test("1234");
    }

    void manyPairsWorkOnTheTextEarlierPairsLeft_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("finds");
        QTest::addColumn<QStringList>("replaces");
        QTest::newRow("find only inside inserted text")
            << "x-x" << QStringList{"x", "target"} << QStringList{"target", "pin"};
        QTest::newRow("find across two insertions") << "qq" << QStringList{"q", "bca"} << QStringList{"abc", "Z"};
        QTest::newRow("overlapping places, one pair") << "aaaaa" << QStringList{"aa"} << QStringList{"b"};
        QTest::newRow("overlapping places, two pairs") << "abcabc" << QStringList{"ab", "bc"} << QStringList{"1", "2"};
        QTest::newRow("place removed by earlier pair")
            << "abc abc" << QStringList{"b", "abc"} << QStringList{"x", "no"};
        QTest::newRow("place rewritten with the same text")
            << "abc" << QStringList{"b", "abc"} << QStringList{"b", "Q"};
        QTest::newRow("deletion removes one place, makes another")
            << "aXbc" << QStringList{"X", "Xb", "ab"} << QStringList{"", "no", "yes"};
        QTest::newRow("shrinking and growing around places")
            << "a,b,,c" << QStringList{",", "ab", "b", "c"} << QStringList{"", "B", "bbb", ",bb"};
        QTest::newRow("later pair's place before the change")
            << "zzab" << QStringList{"b", "zac"} << QStringList{"c", "!"};
    }

    void manyPairsWorkOnTheTextEarlierPairsLeft()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, finds);
        QFETCH(QStringList, replaces);
        // The tester also runs these through the index, so that only the places found are looked at.
        QList<Pair> pairs;
        for (qsizetype j = 0; j < finds.size(); ++j)
            pairs.append({finds[j], replaces[j]});
        StreamTester(pairs).test(input);
    }

    void pairsThatReplaceOftenFindWhatTheyMake()
    {
        // Hundreds of replacements by one pair: where later finds can start
        // around its replace text is worked out once and used from then on.
        QList<Pair> pairs;
        for (int j = 0; j < 40; ++j)
            pairs.append({QString("#%1#").arg(j), "-"});
        pairs.insert(3, {"1", "12"}); // makes "2b" one unit into its replace text
        pairs.insert(10, {"2b", "Z"}); // makes "Za" across its end
        pairs.insert(20, {"Za", "Y"});
        pairs.insert(30, {"x", ""}); // a deletion: any later find may span it
        pairs.insert(35, {"bY", "W"});
        QString input;
        for (int i = 0; i < 2000; ++i)
            input += i % 7 == 0 ? "a1xb" : "a1b";
        StreamTester(pairs).test(input);

        // Pieces where finds are dense and pieces where they are few, in turn.
        QString mixed;
        for (int i = 0; i < 40; ++i)
            mixed += i % 2 ? QString(3000, 'c') + "a1b" : input.mid(0, 300 * i);
        StreamTester(pairs).chunkSizes({50, 500, 3000, 4096}).test(mixed);

        QRandomGenerator random(20261209);
        for (int round = 0; round < 3; ++round) {
            const QString text = randomText(random, "abcxyz", 20000);
            StreamTester(manyRandomPairs(random, 100 + 100 * round)).test(text);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void denseFindsInPieceAfterPieceEqualWholeText()
    {
        // Finds that begin with few distinct units, found again in every
        // piece: what one piece found must not hide them in the next.
        QList<Pair> pairs;
        for (int j = 0; j < 40; ++j)
            pairs.append({QString("#%1#").arg(j), j % 2 ? "a" : "b"});
        pairs.insert(5, {"ab", "ba"});
        pairs.insert(25, {"bb", "#7#"});
        QRandomGenerator random(20261210);
        QString input;
        for (int i = 0; i < 40000; ++i)
            input += "ab#7"[random.bounded(4)];
        StreamTester(pairs).chunkSizes({20, 50, 500, 4096}).test(input);
    }

    void thousandsOfPairsInDensePiecesEqualWholeText()
    {
        // Sections in turn with and without the common finds, so that a pair
        // that replaced in one piece finds nothing in the next and comes back
        // later. Codes begin with few distinct units: first with few units
        // after them, then with many.
        QRandomGenerator random(20261211);
        QString input;
        const QStringList alphabets{"0123456789,.;", "ab,.;56789", "abcab;"};
        for (int section = 0; section < 12; ++section) {
            const QString& alphabet = alphabets[section % 3];
            for (int i = 0; i < 4000; ++i)
                input += alphabet[random.bounded(int(alphabet.size()))];
        }
        for (const QString seconds : {"56789", "0123456789"}) {
            QList<Pair> pairs{{"ab", "ba"}, {"a;", "a;,5"}, {"cc", ".c"}, {".c", ";"}};
            while (pairs.size() < 2000) {
                QString code = QString(",."[random.bounded(2)]) + seconds[random.bounded(int(seconds.size()))];
                code += randomText(random, "0123456789.", 4);
                pairs.insert(
                    random.bounded(int(pairs.size()) + 1), {code, randomText(random, ";x5", int(code.size()))});
            }
            StreamTester(pairs).chunkSizes({100, 1000, 4096, 16384}).test(input);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void pairsThatCannotMeetEqualWholeText()
    {
        // A few pairs (each run searched at once from the first piece on)
        // and enough for the index (runs of the pairs found in a piece),
        // on texts long enough for many blocks, with finds planted in them.
        QRandomGenerator random(20261213);
        for (int round = 0; round < 24; ++round) {
            const QList<Pair> pairs = pairsMostlyApart(random, round % 2 ? 12 : 40);
            QString input;
            while (input.size() < 3000) {
                input += randomText(random, "abcdefghijklmnop,", 30);
                input += pairs[random.bounded(int(pairs.size()))].find;
            }
            StreamTester(pairs).chunkSizes({1, 7, 64, 1000, 65536}).test(input);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void surrogatePairsAreUnitsLikeAnyOther()
    {
        const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600
        StreamTester({{face + "a", "b"}, {face, "c"}}).test(face + "a" + face + face);
        StreamTester({{face.left(1), "x"}}).test(face + face);
    }

    void replacementsAreCounted()
    {
        ReplacementChain<char> chain;
        chain.addPair("a", "b");
        chain.addPair("q", "r");
        chain.take("banana", true);
        for (size_t j = 0; j < chain.size(); ++j)
            chain.runPair(j);
        QCOMPARE(QString::fromStdString(std::string(chain.settled())), QString("bbnbnb"));
        QCOMPARE(chain.replacements(), qint64(3));
    }
};

QTEST_GUILESS_MAIN(TestReplacementChain)
#include "test_replacementchain.moc"
