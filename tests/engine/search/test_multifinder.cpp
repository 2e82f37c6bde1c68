// The packed finder of a few find texts against a search for each alone, at
// every search level: the scalar one compares every place, the AVX2 one picks
// them by table.
#include "engine/search/multifinder.h"
#include "engine/search/unitfinder.h"

#include "support/randomtext.h"
#include "support/searchlevels.h"

#include <QTest>

namespace {

// Finds that overlap themselves, longer than sixteen units, or short.
std::string someFindText(QRandomGenerator& random)
{
    switch (random.bounded(6)) {
    case 0: return std::string(size_t(1 + random.bounded(3)), char('a' + random.bounded(8))); // "aaa"
    case 1: return (randomText(random, "ijklmnop", 24) + "q").toStdString();
    default: return (randomText(random, "abcdefghijklmnop", 5) + QChar('a' + random.bounded(16))).toStdString();
    }
}

} // namespace

class TestMultiFinder : public QObject {
    Q_OBJECT

private slots:
    void findTextsMeetWhereTheyCanShareText()
    {
        QVERIFY(canMeet<char>("abc", "cde"));
        QVERIFY(canMeet<char>("cde", "abc"));
        QVERIFY(canMeet<char>("xbcy", "bc"));
        QVERIFY(!canMeet<char>("abc", "xyz"));
        QVERIFY(canMeet<char>("ab", "ba"));
    }

    void findTextsTogetherAsEachAlone()
    {
        for (SearchLevel level : availableSearchLevels()) {
            const SearchLevelOverride override(level);
            QRandomGenerator random(20261214);
            for (int round = 0; round < 400; ++round) {
                // Finds that cannot meet, each from its own start.
                std::vector<std::string> finds;
                for (int tries = 0; tries < 40 && finds.size() < MultiFinder::most; ++tries) {
                    const std::string find = someFindText(random);
                    if (std::none_of(finds.begin(), finds.end(),
                            [&](const std::string& other) { return canMeet<char>(find, other); }))
                        finds.push_back(find);
                }
                std::string hay = randomText(random, "abcdefghijklmnop", 200).toStdString();
                while (hay.size() < 2000)
                    hay += finds[size_t(random.bounded(int(finds.size())))]
                        + randomText(random, "abcdefgh", 40).toStdString();
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
                QVERIFY2(found == expected, searchLevelName(level));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestMultiFinder)
#include "test_multifinder.moc"
