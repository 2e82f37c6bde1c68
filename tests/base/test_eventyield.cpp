// The window's yield: cheap when called very often, yet no event waits for
// long and the first call lets them run at once.
#include "base/eventyield.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

class TestEventYield : public QObject {
    Q_OBJECT

private slots:
    void firstCallRunsPendingEvents()
    {
        EventYield yield;
        bool ran = false;
        QTimer::singleShot(0, this, [&] { ran = true; });
        yield();
        QVERIFY(ran);
    }

    // A long command calls it in a tight loop: an event posted meanwhile
    // still runs within a few slices, and events run once a slice, not at
    // every call.
    void eventsInATightLoopRunWithinASlice()
    {
        EventYield yield;
        yield();
        int ran = 0;
        QTimer::singleShot(0, this, [&] { ++ran; });
        QElapsedTimer waited;
        waited.start();
        while (ran == 0 && waited.elapsed() < 2000)
            yield();
        QCOMPARE(ran, 1);
        QVERIFY2(waited.elapsed() < 100, qPrintable(QString::number(waited.elapsed())));

        int runs = 0;
        QTimer repeated;
        connect(&repeated, &QTimer::timeout, this, [&] { ++runs; });
        repeated.start(0);
        qint64 calls = 0;
        waited.restart();
        while (waited.elapsed() < 50) {
            yield();
            ++calls;
        }
        QVERIFY(runs >= 1);
        QVERIFY2(runs * 100 < calls, qPrintable(QStringLiteral("%1 runs in %2 calls").arg(runs).arg(calls)));
    }

    // After a burst of fast calls the clock is looked at only every few
    // calls; once the calls slow down, an event waits for a stride of them
    // at most, and from then on for one.
    void slowCallsAfterFastOnesStillLetEventsRun()
    {
        EventYield yield;
        for (int i = 0; i < 100000; ++i)
            yield();
        for (int round = 0; round < 2; ++round) {
            bool ran = false;
            QTimer::singleShot(0, this, [&] { ran = true; });
            int calls = 0;
            while (!ran && calls < 100) {
                // Longer than a tick of the coarsest clock (16 ms on Windows).
                QThread::msleep(20);
                yield();
                ++calls;
            }
            QVERIFY2(calls <= (round == 0 ? EventYield::mostStride : 1), qPrintable(QString::number(calls)));
        }
    }
};

QTEST_GUILESS_MAIN(TestEventYield)
#include "test_eventyield.moc"
