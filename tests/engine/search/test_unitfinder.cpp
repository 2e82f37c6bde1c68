// The literal finder at every search level against a plain search: every
// occurrence, none overlapping, at every place in and across the blocks
// compared at once.
#include "engine/search/unitfinder.h"

#include "support/randomtext.h"
#include "support/searchlevels.h"

#include <QTest>

class TestUnitFinder : public QObject {
    Q_OBJECT

private slots:
    void findsEveryOccurrenceNoneOverlapping()
    {
        // Long texts, so that occurrences fall at every place in and across
        // the blocks, and find texts that overlap themselves.
        const auto plain = [](const QString& hay, const QString& findText, qsizetype from) {
            std::vector<size_t> sites;
            for (qsizetype at = hay.indexOf(findText, from); at >= 0; at = hay.indexOf(findText, at + findText.size()))
                sites.push_back(size_t(at));
            return sites;
        };
        for (SearchLevel level : availableSearchLevels()) {
            const SearchLevelOverride override(level);
            QRandomGenerator random(20261212);
            for (int round = 0; round < 300; ++round) {
                const QString hay = randomText(random, round % 2 ? "ab" : "abc,", 3000);
                QString findText = randomText(random, round % 2 ? "ab" : "abc,", round % 10 == 0 ? 40 : 5);
                if (findText.isEmpty())
                    findText = "a";
                const size_t from = size_t(random.bounded(int(hay.size()) + 1));
                const std::vector<size_t> expected = plain(hay, findText, qsizetype(from));
                std::vector<size_t> units;
                UnitFinder<char16_t>(findText.toStdU16String()).findAll(hay.toStdU16String(), from, units);
                QVERIFY2(units == expected, searchLevelName(level));
                std::vector<size_t> bytes;
                UnitFinder<char>(findText.toStdString()).findAll(hay.toStdString(), from, bytes);
                QVERIFY2(bytes == expected, searchLevelName(level));
            }
        }
    }

    void usesRareUnitButFindsLeftmost()
    {
        for (SearchLevel level : availableSearchLevels()) {
            const SearchLevelOverride override(level);
            const std::string hay = "aaaaqaaqzaqz";
            UnitFinder<char> finder(std::string_view("qz"));
            QCOMPARE(finder.find(hay, 0), size_t(7));
            QCOMPARE(finder.find(hay, 8), size_t(10));
            QCOMPARE(finder.find(hay, 11), UnitFinder<char>::npos);
            const std::u16string units = u"e,e,,x,,";
            UnitFinder<char16_t> unitFinder(std::u16string_view(u",x,"));
            QCOMPARE(unitFinder.find(units, 0), size_t(4));
            QCOMPARE(unitFinder.find(units, 5), UnitFinder<char16_t>::npos);
        }
    }

    void overrideLowersTheLevelForItsLifeOnly()
    {
        const SearchLevel before = searchLevel();
        {
            const SearchLevelOverride scalar(SearchLevel::Scalar);
            QCOMPARE(searchLevel(), SearchLevel::Scalar);
            {
                const SearchLevelOverride higher(SearchLevel::Avx2);
                QCOMPARE(higher.level(), processorSearchLevel());
            }
            QCOMPARE(searchLevel(), SearchLevel::Scalar);
        }
        QCOMPARE(searchLevel(), before);
    }
};

QTEST_GUILESS_MAIN(TestUnitFinder)
#include "test_unitfinder.moc"
