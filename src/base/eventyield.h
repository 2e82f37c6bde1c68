// The window's yield: lets pending window events run. Called before every
// pair of every chunk in single mode, that is millions of times for thousands
// of pairs on a large file, where processEvents alone costs a microsecond
// or more even with nothing to do. So events run when a coarse clock (it
// moves every few milliseconds) has moved on a slice since they last ran:
// an event that arrives waits a few milliseconds at most, less than the eye
// or the hand can tell. Calls that come much faster than the clock moves
// look at it only every few calls, as even a coarse clock costs more than
// the rest of such a call.
#pragma once

#include <QtGlobal>

class EventYield {
public:
    static constexpr qint64 defaultSliceMs = 2;
    // Calls between looks at the clock, at most.
    static constexpr int mostStride = 16;

    explicit EventYield(qint64 sliceMs = defaultSliceMs) : m_sliceMs(sliceMs) { }

    void operator()();

    // The coarse clock, in milliseconds.
    static qint64 coarseNowMs();

private:
    qint64 m_sliceMs;
    qint64 m_lastRanMs = -1;
    qint64 m_lastLookMs = -1;
    int m_stride = 1;
    int m_untilLook = 0;
};
