#include "support/streamtester.h"

#include "engine/replace/replacementchain.h"

#include "support/unittext.h"

#include <QTest>

namespace {

template <class Unit>
QString streamed(const QString& input, const QList<StreamPair>& pairs, const StreamConfiguration& configuration)
{
    using View = std::basic_string_view<Unit>;
    const SearchLevelOverride level(configuration.level);
    ReplacementChain<Unit> chain(configuration.tuning);
    chain.gatherUpTo(configuration.gather);
    for (const StreamPair& pair : pairs)
        chain.addPair(unitsOf<Unit>(pair.find), unitsOf<Unit>(pair.replace));
    const std::basic_string<Unit> units = unitsOf<Unit>(input);
    std::basic_string<Unit> out;
    size_t at = 0;
    do {
        const size_t size = std::min(configuration.chunk, units.size() - at);
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

} // namespace

QString StreamConfiguration::label() const
{
    return QStringLiteral("chunk size %1, gathered up to %2, %3 search, %4")
        .arg(chunk)
        .arg(gather)
        .arg(searchLevelName(level), tuningName);
}

QString wholeText(QString text, const QList<StreamPair>& pairs)
{
    for (const StreamPair& pair : pairs) {
        if (!pair.find.isEmpty())
            text.replace(pair.find, pair.replace);
    }
    return text;
}

QString streamedBytes(const QString& input, const QList<StreamPair>& pairs, const StreamConfiguration& configuration)
{
    return streamed<char>(input, pairs, configuration);
}

QString streamedUnits(const QString& input, const QList<StreamPair>& pairs, const StreamConfiguration& configuration)
{
    return streamed<char16_t>(input, pairs, configuration);
}

StreamTester::StreamTester(QList<StreamPair> pairs)
    : m_pairs(std::move(pairs)),
      m_chunks{1, 2, 3, 65536},
      m_levels(availableSearchLevels())
{
    for (const StreamPair& pair : m_pairs) {
        const size_t length = size_t(qMax<qsizetype>(1, pair.find.size()));
        if (!m_chunks.contains(length))
            m_chunks << length;
    }
}

StreamTester& StreamTester::chunkSizes(QList<size_t> sizes)
{
    m_chunks = std::move(sizes);
    return *this;
}

StreamTester& StreamTester::gatheredBy(QList<size_t> pieces)
{
    m_gatheredBy = std::move(pieces);
    return *this;
}

StreamTester& StreamTester::defaultTuningOnly()
{
    m_defaultTuningOnly = true;
    return *this;
}

StreamTester& StreamTester::levels(QList<SearchLevel> levels)
{
    m_levels.clear();
    for (SearchLevel level : levels) {
        if (level <= processorSearchLevel())
            m_levels << level;
    }
    return *this;
}

QList<StreamConfiguration> StreamTester::configurations() const
{
    struct Named {
        ChainTuning tuning;
        const char* name;
    };
    QList<Named> tunings{{ChainTuning{}, "default thresholds"}};
    if (!m_defaultTuningOnly && size_t(m_pairs.size()) < ChainTuning{}.indexFrom) {
        ChainTuning indexed;
        indexed.indexFrom = 1;
        indexed.workOutStartsAfter = 1;
        tunings.append({indexed, "index keeping places"});
        // No place is few enough to keep: the index tells which pairs occur.
        ChainTuning dense = indexed;
        dense.fewFinds = 0;
        dense.denseFinds = size_t(-1);
        tunings.append({dense, "index telling which occur"});
    }
    QList<StreamConfiguration> all;
    for (const Named& named : tunings) {
        for (SearchLevel level : m_levels) {
            for (size_t chunk : m_chunks) {
                for (size_t pieces : m_gatheredBy)
                    all.append({chunk, pieces * chunk, level, named.tuning, named.name});
            }
        }
    }
    return all;
}

bool StreamTester::test(const QString& input) const
{
    const QString expected = wholeText(input, m_pairs);
    const bool bytesToo = input.toLatin1() == input.toUtf8();
    for (const StreamConfiguration& configuration : configurations()) {
        const QString label = configuration.label() + QStringLiteral(", %1 pair(s)").arg(m_pairs.size());
        bool same = streamedUnits(input, m_pairs, configuration) == expected;
        QString failed = label + ", UTF-16 units";
        if (same && bytesToo) {
            same = streamedBytes(input, m_pairs, configuration) == expected;
            failed = label + ", bytes";
        }
        if (!same) {
            qWarning() << "input" << input;
            for (const StreamPair& pair : m_pairs)
                qWarning() << "pair" << pair.find << pair.replace;
            QTest::qFail(qPrintable(failed), __FILE__, __LINE__);
            return false;
        }
    }
    return true;
}
