#include "base/settings.h"
#include "window/scramble.h"

#include "support/temporarysettings.h"

#include <QTest>

class TestScramble : public QObject {
    Q_OBJECT

private slots:
    void everyCodeRoundTripsThroughTheStore()
    {
        TemporarySettings settings;
        QString all;
        for (int code = 1; code <= 255; ++code)
            all.append(QChar(code));
        const QString scrambled = ScrambleText(all, sampleListKey);
        QVERIFY(scrambled != all);
        for (const QChar c : scrambled)
            QVERIFY(c.unicode() >= 1 && c.unicode() <= 255);
        SaveSetting("Snapshot", scrambled);
        QCOMPARE(UnscrambleText(GetSetting("Snapshot", "False"), sampleListKey), all);
    }

    void asciiKeepsItsLengthAndArithmetic()
    {
        QCOMPARE(ScrambleText("abc", sampleListKey).size(), 3);
        QCOMPARE(UnscrambleText(ScrambleText("abc", "zzzzzzzz"), "zzzzzzzz"), QString("abc"));
        // 97 + 109 = 206; 126 + 122 = 248 (no wrap below 256).
        QCOMPARE(ScrambleText("a", "mmmmmmmm").at(0).unicode(), 206);
        QCOMPARE(ScrambleText("~", "zzzzzzzz").at(0).unicode(), 248);
    }

    void nonAsciiPathRoundTrips()
    {
        const QString path = QString::fromUtf8("/opt/tällow/Samples/日本.csv|/opt/x/Samples/é.csv");
        QCOMPARE(UnscrambleText(ScrambleText(path, sampleListKey), sampleListKey), path);
    }

    void yieldsBeforeEachCharacter()
    {
        int yields = 0;
        ScrambleText("abcd", sampleListKey, [&] { ++yields; });
        QCOMPARE(yields, 4);
        UnscrambleText("abc", sampleListKey, [&] { ++yields; });
        QCOMPARE(yields, 7);
    }
};

QTEST_GUILESS_MAIN(TestScramble)
#include "test_scramble.moc"
