// The index of many find texts against a plain search for each, at every
// search level and with every scan strategy: texts with one-unit finds
// (every place looked up), finds that begin with many bytes (by nibble
// tables), and codes that begin with few (by first bytes). The text given is
// a piece of a longer buffer, so that a place past its end is not found.
#include "engine/search/findtextindex.h"

#include "support/randomtext.h"
#include "support/searchlevels.h"
#include "support/unittext.h"

#include <QTest>

namespace {

using Place = std::pair<size_t, size_t>; // at, find text

struct Case {
    QStringList finds;
    QString buffer;
    int pieceEnd; // the text given ends here; the buffer goes on
    int from;
    int to;
};

// Find texts of the given kind, and a buffer in which many of them occur,
// some across the end of the piece.
Case someCase(QRandomGenerator& random, int kind)
{
    Case c;
    while (c.finds.size() < 40 + random.bounded(200)) {
        QString find;
        // Two units or more but for the first kind, or every place is looked up.
        if (kind == 0)
            find = randomText(random, "abcdxyz", 3);
        else if (kind == 1)
            find = QChar("abcdefghijklmnop"[random.bounded(16)]) + randomText(random, "abcdxyz", 6) + QChar('x');
        else
            find = QString(QChar(",."[random.bounded(2)])) + QChar('0' + random.bounded(10))
                + randomText(random, "0123456789", 4);
        if (!find.isEmpty())
            c.finds << find;
    }
    const QString alphabet = kind == 2 ? "0123456789,.;" : "abcdefghijklmnopxyz";
    while (c.buffer.size() < 3000) {
        c.buffer += randomText(random, alphabet, 30);
        c.buffer += c.finds[random.bounded(int(c.finds.size()))];
    }
    // The longest find text, ending one unit after the piece.
    const QString& longest = *std::max_element(
        c.finds.begin(), c.finds.end(), [](const QString& a, const QString& b) { return a.size() < b.size(); });
    c.pieceEnd = 2000 + random.bounded(500);
    c.buffer.replace(c.pieceEnd - longest.size() + 1, longest.size(), longest);
    c.from = random.bounded(100);
    c.to = c.pieceEnd - random.bounded(2) * random.bounded(300);
    return c;
}

template <class Unit>
std::vector<Place> plainPlaces(const Case& c, const std::basic_string<Unit>& piece,
    const std::vector<std::basic_string<Unit>>& finds, size_t after)
{
    std::vector<Place> places;
    for (size_t k = after + 1; k < finds.size(); ++k) {
        for (size_t at = size_t(c.from); at < size_t(c.to); ++at) {
            if (piece.compare(at, finds[k].size(), finds[k]) == 0 && at + finds[k].size() <= piece.size())
                places.push_back({at, k});
        }
    }
    std::sort(places.begin(), places.end());
    return places;
}

} // namespace

class TestFindTextIndex : public QObject {
    Q_OBJECT

private:
    template <class Unit> void compareWithPlainSearch(const Case& c, const QString& label)
    {
        const std::basic_string<Unit> buffer = unitsOf<Unit>(c.buffer);
        const std::basic_string_view<Unit> piece(buffer.data(), size_t(c.pieceEnd));
        std::vector<std::basic_string<Unit>> finds;
        for (const QString& find : c.finds)
            finds.push_back(unitsOf<Unit>(find));
        FindTextIndex<Unit> index(std::vector<std::basic_string_view<Unit>>(finds.begin(), finds.end()));
        for (size_t after : {size_t(-1), finds.size() / 2}) {
            std::vector<Place> found;
            index.scan(piece, size_t(c.from), size_t(c.to), after, [&](size_t k, size_t at) {
                found.push_back({at, k});
            });
            QVERIFY2(std::is_sorted(
                         found.begin(), found.end(), [](const Place& a, const Place& b) { return a.first < b.first; }),
                qPrintable(label));
            std::sort(found.begin(), found.end());
            QVERIFY2(
                found == plainPlaces(c, std::basic_string<Unit>(piece), finds, after), qPrintable(label + ", scan"));
        }
        // Which occur, with one assumed to whether it does or not.
        const std::vector<Place> places = plainPlaces(c, std::basic_string<Unit>(piece), finds, size_t(-1));
        std::vector<uint32_t> expected(finds.size(), 0);
        for (const Place& place : places)
            expected[place.second] = 1;
        expected[0] = 1;
        std::vector<uint32_t> occurs(finds.size(), 0);
        index.markOccurring(piece, size_t(c.from), size_t(c.to), occurs, {0});
        for (uint32_t& count : occurs)
            count = count != 0;
        QVERIFY2(occurs == expected, qPrintable(label + ", which occur"));
    }

private slots:
    void placesFoundAsByPlainSearch()
    {
        const char* kinds[] = {"one-unit finds", "many first bytes", "codes"};
        for (SearchLevel level : availableSearchLevels()) {
            const SearchLevelOverride override(level);
            QRandomGenerator random(20261215);
            for (int round = 0; round < 60; ++round) {
                const Case c = someCase(random, round % 3);
                const QString label = QStringLiteral("%1 search, %2, round %3")
                                          .arg(searchLevelName(level), kinds[round % 3])
                                          .arg(round);
                compareWithPlainSearch<char>(c, label + ", bytes");
                compareWithPlainSearch<char16_t>(c, label + ", UTF-16 units");
                if (QTest::currentTestFailed())
                    return;
            }
        }
    }

    void lengthsAndLongestAreTheFindTexts()
    {
        const std::vector<std::string_view> finds{"a", "", "abcdef", "xy"};
        const FindTextIndex<char> index(finds);
        QCOMPARE(index.longest(), size_t(6));
        QCOMPARE(index.lengthOf(2), size_t(6));
        std::vector<Place> found;
        index.scan(std::string_view("xyz"), 0, 3, size_t(-1), [&](size_t k, size_t at) { found.push_back({at, k}); });
        QCOMPARE(found, std::vector<Place>{Place(0, 3)}); // the empty one is never found
    }
};

QTEST_GUILESS_MAIN(TestFindTextIndex)
#include "test_findtextindex.moc"
