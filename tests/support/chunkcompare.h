// Comparing a result made at one chunk size: a failure names the size with
// both values, since the same case passes at most sizes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QTest>

#include <memory>

// The chunk sizes a whole file is run through: the smallest (every edge
// falls inside a character or a find text), a few odd ones, and the real one.
inline const QList<qsizetype> fileChunkSizes{1, 2, 3, 6, 7, 64, 65536};

template <class T> QByteArray chunkSizeMismatch(qsizetype chunkSize, const T& actual, const T& expected)
{
    if (actual == expected)
        return {};
    const std::unique_ptr<char[]> shownActual(QTest::toString(actual));
    const std::unique_ptr<char[]> shownExpected(QTest::toString(expected));
    return "at chunk size " + QByteArray::number(chunkSize) + "\n   Actual:   " + shownActual.get()
        + "\n   Expected: " + shownExpected.get();
}

#define COMPARE_AT_CHUNK_SIZE(chunkSize, actual, expected)                                                             \
    do {                                                                                                               \
        const auto& actualValue = (actual);                                                                            \
        const auto& expectedValue = (expected);                                                                        \
        const QByteArray mismatch = chunkSizeMismatch(qsizetype(chunkSize), actualValue, expectedValue);               \
        QVERIFY2(mismatch.isEmpty(), mismatch.constData());                                                            \
    } while (false)
