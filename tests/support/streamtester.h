// Runs a replacement chain case in every configuration that matters: the
// chunk sizes the text arrives in, the sizes pieces are gathered up to, the
// search levels, and the chain's thresholds (so that a few pairs take the
// ways of many); each configuration is labelled, so that a failure names
// where it failed. The result is compared with replacing on the whole text.
#pragma once

#include "engine/replace/chaintuning.h"

#include "support/searchlevels.h"

#include <QList>
#include <QString>

#include <functional>

struct StreamPair {
    QString find;
    QString replace;
};

struct StreamConfiguration {
    size_t chunk;
    size_t gather; // 0: every piece on its own
    SearchLevel level;
    ChainTuning tuning;
    const char* tuningName;

    QString label() const;
};

// Every pair in order, every occurrence left to right.
QString wholeText(QString text, const QList<StreamPair>& pairs);

// The chain's result when the text arrives in pieces as configured; bytes
// or UTF-16 units.
QString streamedBytes(const QString& input, const QList<StreamPair>& pairs, const StreamConfiguration& configuration);
QString streamedUnits(const QString& input, const QList<StreamPair>& pairs, const StreamConfiguration& configuration);

class StreamTester {
public:
    explicit StreamTester(QList<StreamPair> pairs);

    // By default: 1, 2, 3, 65536 and the length of every find text.
    StreamTester& chunkSizes(QList<size_t> sizes);
    // By default: every piece on its own, and gathered up to three pieces.
    StreamTester& gatheredBy(QList<size_t> pieces);
    // By default: every level up to the processor's.
    StreamTester& levels(QList<SearchLevel> levels);
    // By default, with fewer pairs than the index is used for: the default
    // thresholds, the index from one pair on keeping the places found, and
    // the index only telling which pairs occur; with more, the default ones.
    StreamTester& defaultTuningOnly();

    QList<StreamConfiguration> configurations() const;

    // Fails the running test, naming the configuration, the input and the
    // pairs, where a result differs; tells whether all agreed.
    bool test(const QString& input) const;

private:
    QList<StreamPair> m_pairs;
    QList<size_t> m_chunks;
    QList<size_t> m_gatheredBy{0, 3};
    QList<SearchLevel> m_levels;
    bool m_defaultTuningOnly = false;
};
