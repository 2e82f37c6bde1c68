// Comparing a result made at one chunk size: a failure names the size with
// both values, since the same case passes at most sizes.
#pragma once

#include <QByteArray>
#include <QTest>

#include <memory>

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
