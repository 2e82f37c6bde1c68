// The streaming replacement against replacing on the whole text, over many
// chunk sizes and random texts with cascading pairs, a few or thousands.
#include "engine/replace/multifinder.h"
#include "engine/replace/streamreplacer.h"
#include "engine/replace/unitfinder.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

struct Pair {
    QString find;
    QString replace;
};

QString wholeText(QString text, const QList<Pair>& pairs)
{
    for (const Pair& pair : pairs) {
        if (!pair.find.isEmpty())
            text.replace(pair.find, pair.replace);
    }
    return text;
}

template <class Unit>
std::basic_string<Unit> unitsOf(const QString& text);

template <>
std::string unitsOf<char>(const QString& text)
{
    return text.toStdString();
}

template <>
std::u16string unitsOf<char16_t>(const QString& text)
{
    return text.toStdU16String();
}

// With gather, many pairs run on pieces gathered up to that size.
template <class Unit>
QString streamed(const QString& input, const QList<Pair>& pairs, size_t chunkSize, size_t gather = 0)
{
    using View = std::basic_string_view<Unit>;
    ReplacementChain<Unit> chain;
    chain.gatherUpTo(gather);
    for (const Pair& pair : pairs)
        chain.addPair(unitsOf<Unit>(pair.find), unitsOf<Unit>(pair.replace));
    const std::basic_string<Unit> units = unitsOf<Unit>(input);
    std::basic_string<Unit> out;
    size_t at = 0;
    do {
        const size_t size = std::min(chunkSize, units.size() - at);
        const View text(units.data() + at, size);
        at += size;
        chain.take(text, at == units.size());
        for (size_t j = 0; j < chain.size(); ++j)
            chain.runPair(j);
        out.append(chain.settled());
    } while (at < units.size());
    if constexpr (std::is_same_v<Unit, char>)
        return QString::fromStdString(out);
    else
        return QString::fromStdU16String(out);
}

QString randomText(QRandomGenerator& random, const QString& alphabet, int maxLength)
{
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += alphabet[random.bounded(int(alphabet.size()))];
    return text;
}

QList<size_t> chunkSizesFor(const QList<Pair>& pairs)
{
    QList<size_t> sizes{1, 2, 3, 65536};
    for (const Pair& pair : pairs) {
        const size_t length = size_t(qMax<qsizetype>(1, pair.find.size()));
        if (!sizes.contains(length))
            sizes << length;
    }
    return sizes;
}

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
        case 1: find = randomText(random, "ijklmnop", 24) + "q"; break;                       // long ones
        default: find = randomText(random, "abcdefghijklmnop", 5) + QChar('a' + random.bounded(16)); break;
        }
        const bool makes = random.bounded(10) == 0;
        pairs.append({find, randomText(random, makes ? "abcdefgh" : "XYZ", 4) + (makes ? "" : "W")});
    }
    return pairs;
}

} // namespace

class TestStreamReplacer : public QObject {
    Q_OBJECT

private:
    void compareAllChunkSizes(const QString& input, const QList<Pair>& pairs)
    {
        compareChunkSizes(input, pairs, chunkSizesFor(pairs));
    }

    // After a failed comparison, shows what failed, for a case of its own.
    static bool failedOn(const QString& input, const QList<Pair>& pairs)
    {
        if (!QTest::currentTestFailed())
            return false;
        qWarning() << "input" << input;
        for (const Pair& pair : pairs)
            qWarning() << "pair" << pair.find << pair.replace;
        return true;
    }

    void compareChunkSizes(const QString& input, const QList<Pair>& pairs, const QList<size_t>& sizes)
    {
        const QString expected = wholeText(input, pairs);
        for (size_t chunk : sizes) {
            // Every piece on its own, and pieces gathered by a few.
            for (size_t gather : {size_t(0), 3 * chunk}) {
                const QString label = QStringLiteral("chunk size %1, gathered up to %2, %3 pair(s)")
                                          .arg(chunk)
                                          .arg(gather)
                                          .arg(pairs.size());
                QVERIFY2(streamed<char16_t>(input, pairs, chunk, gather) == expected, qPrintable(label + ", UTF-16 units"));
                if (input.toLatin1() == input.toUtf8())
                    QVERIFY2(streamed<char>(input, pairs, chunk, gather) == expected, qPrintable(label + ", bytes"));
            }
        }
    }

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
        compareAllChunkSizes(input, pairs);
    }

    void occurrenceAcrossChunkBoundaryIsReplaced()
    {
        const QString input = QString(65534, 'x') + "needle" + QString(10, 'y');
        QCOMPARE(streamed<char16_t>(input, {{"needle", "N"}}, 65536), QString(65534, 'x') + "N" + QString(10, 'y'));
        QCOMPARE(streamed<char>(input, {{"needle", "N"}}, 65536), QString(65534, 'x') + "N" + QString(10, 'y'));
    }

    void replacementMadeInOneChunkIsMatchedByLaterPairAcrossBoundary()
    {
        // Pair 1 grows the text so that pair 2's occurrence spans pair 1's output pieces.
        compareAllChunkSizes("abababab", {{"b", "bc"}, {"cab", "X"}, {"X", "Y"}});
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
            compareAllChunkSizes(input, pairs);
            if (failedOn(input, pairs))
                return;
        }
    }

    void thousandsOfRandomPairsEqualWholeText()
    {
        QRandomGenerator random(20261208);
        for (int round = 0; round < 4; ++round) {
            const QString input = randomText(random, "abcdxyz", 1000);
            const QList<Pair> pairs = manyRandomPairs(random, 1000 + 1000 * round);
            compareAllChunkSizes(input, pairs);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void manyPairsFindWhatEarlierPairsMade()
    {
        // Enough pairs that only those found in the text are run.
        QList<Pair> padding;
        for (int j = 0; j < 40; ++j)
            padding.append({QString("#%1#").arg(j), "-"});
        const auto with = [&](const QList<Pair>& pairs) { return padding.mid(0, 20) + pairs + padding.mid(20); };
        // A deletion joins the two halves of a later find.
        compareAllChunkSizes("aXb aXXb", with({{"X", ""}, {"ab", "Z"}}));
        // Inserted text completes a later find on either side.
        compareAllChunkSizes("pq rq ps", with({{"p", "rs"}, {"srq", "T"}, {"sps", "U"}, {"T", "V"}}));
        // A replacement of the same length, in place.
        compareAllChunkSizes("abcabc", with({{"b", "x"}, {"axc", "y"}, {"cy", "zz"}}));
        // A long find that only a chain of replacements makes.
        compareAllChunkSizes("1234", with({{"1", "aaaa"}, {"2", "bbbb"}, {"aaaabbbb3", "!"}, {"!4", "done"}}));
    }

    void manyPairsWorkOnTheTextEarlierPairsLeft_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("finds");
        QTest::addColumn<QStringList>("replaces");
        QTest::newRow("find only inside inserted text") << "x-x" << QStringList{"x", "needle"} << QStringList{"needle", "pin"};
        QTest::newRow("find across two insertions") << "qq" << QStringList{"q", "bca"} << QStringList{"abc", "Z"};
        QTest::newRow("overlapping places, one pair") << "aaaaa" << QStringList{"aa"} << QStringList{"b"};
        QTest::newRow("overlapping places, two pairs") << "abcabc" << QStringList{"ab", "bc"} << QStringList{"1", "2"};
        QTest::newRow("place removed by earlier pair") << "abc abc" << QStringList{"b", "abc"} << QStringList{"x", "no"};
        QTest::newRow("place rewritten with the same text") << "abc" << QStringList{"b", "abc"} << QStringList{"b", "Q"};
        QTest::newRow("deletion removes one place, makes another") << "aXbc" << QStringList{"X", "Xb", "ab"}
                                                                    << QStringList{"", "no", "yes"};
        QTest::newRow("shrinking and growing around places") << "a,b,,c" << QStringList{",", "ab", "b", "c"}
                                                              << QStringList{"", "B", "bbb", ",bb"};
        QTest::newRow("later pair's place before the change") << "zzab" << QStringList{"b", "zac"}
                                                                << QStringList{"c", "!"};
    }

    void manyPairsWorkOnTheTextEarlierPairsLeft()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, finds);
        QFETCH(QStringList, replaces);
        // Padding between and around the pairs, so that only the places found are looked at.
        QList<Pair> pairs;
        for (int j = 0; j < 40; ++j) {
            if (j % 10 == 5 && !finds.isEmpty())
                pairs.append({finds.takeFirst(), replaces.takeFirst()});
            pairs.append({QString("#%1#").arg(j), "-"});
        }
        compareAllChunkSizes(input, pairs);
    }

    void pairsThatReplaceOftenFindWhatTheyMake()
    {
        // Hundreds of replacements by one pair: where later finds can start
        // around its replace text is worked out once and used from then on.
        QList<Pair> pairs;
        for (int j = 0; j < 40; ++j)
            pairs.append({QString("#%1#").arg(j), "-"});
        pairs.insert(3, {"1", "12"});   // makes "2b" one unit into its replace text
        pairs.insert(10, {"2b", "Z"});  // makes "Za" across its end
        pairs.insert(20, {"Za", "Y"});
        pairs.insert(30, {"x", ""});    // a deletion: any later find may span it
        pairs.insert(35, {"bY", "W"});
        QString input;
        for (int i = 0; i < 2000; ++i)
            input += i % 7 == 0 ? "a1xb" : "a1b";
        compareAllChunkSizes(input, pairs);

        // Pieces where finds are dense and pieces where they are few, in turn.
        QString mixed;
        for (int i = 0; i < 40; ++i)
            mixed += i % 2 ? QString(3000, 'c') + "a1b" : input.mid(0, 300 * i);
        compareChunkSizes(mixed, pairs, {50, 500, 3000, 4096});

        QRandomGenerator random(20261209);
        for (int round = 0; round < 3; ++round) {
            const QString text = randomText(random, "abcxyz", 20000);
            compareAllChunkSizes(text, manyRandomPairs(random, 100 + 100 * round));
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
        compareChunkSizes(input, pairs, {20, 50, 500, 4096});
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
                pairs.insert(random.bounded(int(pairs.size()) + 1), {code, randomText(random, ";x5", int(code.size()))});
            }
            compareChunkSizes(input, pairs, {100, 1000, 4096, 16384});
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
            compareChunkSizes(input, pairs, {1, 7, 64, 1000, 65536});
            if (failedOn(input, pairs))
                return;
        }
    }

    void findTextsTogetherAsEachAlone()
    {
        QVERIFY(canMeet<char>("abc", "cde"));
        QVERIFY(canMeet<char>("cde", "abc"));
        QVERIFY(canMeet<char>("xbcy", "bc"));
        QVERIFY(!canMeet<char>("abc", "xyz"));
        QVERIFY(canMeet<char>("ab", "ba"));
        if (!MultiFinder::available())
            QSKIP("This processor searches for each find text alone.");
        QRandomGenerator random(20261214);
        for (int round = 0; round < 400; ++round) {
            // Finds that cannot meet, each from its own start.
            std::vector<std::string> finds;
            for (int tries = 0; tries < 40 && finds.size() < MultiFinder::most; ++tries) {
                const QList<Pair> one = pairsMostlyApart(random, 1);
                const std::string find = one.front().find.toStdString();
                if (std::none_of(finds.begin(), finds.end(),
                                 [&](const std::string& other) { return canMeet<char>(find, other); }))
                    finds.push_back(find);
            }
            std::string hay = randomText(random, "abcdefghijklmnop", 200).toStdString();
            while (hay.size() < 2000)
                hay += finds[size_t(random.bounded(int(finds.size())))] + randomText(random, "abcdefgh", 40).toStdString();
            std::vector<std::string_view> views(finds.begin(), finds.end());
            std::vector<size_t> starts;
            for (size_t k = 0; k < finds.size(); ++k)
                starts.push_back(size_t(random.bounded(100)));
            const size_t end = hay.size() - size_t(random.bounded(50));
            std::vector<MultiFinder::Site> together;
            MultiFinder(views).findAll(std::string_view(hay).substr(0, end), starts.data(), together);
            std::vector<std::pair<size_t, uint32_t>> expected;
            for (size_t k = 0; k < finds.size(); ++k) {
                std::vector<size_t> sites;
                UnitFinder<char>(views[k]).findAll(std::string_view(hay).substr(0, end), starts[k], sites);
                for (size_t site : sites)
                    expected.push_back({site, uint32_t(k)});
            }
            std::sort(expected.begin(), expected.end());
            std::vector<std::pair<size_t, uint32_t>> found;
            for (const MultiFinder::Site& site : together)
                found.push_back({site.at, site.which});
            QCOMPARE(found, expected);
        }
    }

    void finderFindsEveryOccurrenceNoneOverlapping()
    {
        // Long haystacks, so that occurrences fall at every place in and
        // across the blocks compared at once, and needles that overlap themselves.
        QRandomGenerator random(20261212);
        const auto naive = [](const QString& hay, const QString& needle, qsizetype from) {
            std::vector<size_t> sites;
            for (qsizetype at = hay.indexOf(needle, from); at >= 0; at = hay.indexOf(needle, at + needle.size()))
                sites.push_back(size_t(at));
            return sites;
        };
        for (int round = 0; round < 300; ++round) {
            const QString hay = randomText(random, round % 2 ? "ab" : "abc,", 3000);
            QString needle = randomText(random, round % 2 ? "ab" : "abc,", round % 10 == 0 ? 40 : 5);
            if (needle.isEmpty())
                needle = "a";
            const size_t from = size_t(random.bounded(int(hay.size()) + 1));
            const std::vector<size_t> expected = naive(hay, needle, qsizetype(from));
            std::vector<size_t> wide;
            UnitFinder<char16_t>(needle.toStdU16String()).findAll(hay.toStdU16String(), from, wide);
            QCOMPARE(wide, expected);
            std::vector<size_t> bytes;
            UnitFinder<char>(needle.toStdString()).findAll(hay.toStdString(), from, bytes);
            QCOMPARE(bytes, expected);
        }
    }

    void surrogatePairsAreUnitsLikeAnyOther()
    {
        const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600
        compareAllChunkSizes(face + "a" + face + face, {{face + "a", "b"}, {face, "c"}});
        compareAllChunkSizes(face + face, {{face.left(1), "x"}});
    }

    void finderUsesRareUnitButFindsLeftmost()
    {
        const std::string hay = "aaaaqaaqzaqz";
        UnitFinder<char> finder(std::string_view("qz"));
        QCOMPARE(finder.find(hay, 0), size_t(7));
        QCOMPARE(finder.find(hay, 8), size_t(10));
        QCOMPARE(finder.find(hay, 11), UnitFinder<char>::npos);
        const std::u16string wide = u"e,e,,x,,";
        UnitFinder<char16_t> wideFinder(std::u16string_view(u",x,"));
        QCOMPARE(wideFinder.find(wide, 0), size_t(4));
        QCOMPARE(wideFinder.find(wide, 5), UnitFinder<char16_t>::npos);
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

QTEST_GUILESS_MAIN(TestStreamReplacer)
#include "test_streamreplacer.moc"
