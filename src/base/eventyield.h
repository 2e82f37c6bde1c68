// The window's yield: lets pending window events run. Called before every
// pair of every chunk in single mode, that is millions of times for thousands
// of pairs on a large file, where processEvents alone costs a microsecond
// or more even with nothing to do. So a call reads a coarse clock (a few
// nanoseconds; it moves every few milliseconds), and events run when the
// clock has moved on a slice since they last ran: an event that arrives waits
// a few milliseconds at most, less than the eye or the hand can tell.
#pragma once

#include <QtGlobal>

class EventYield {
public:
    static constexpr qint64 defaultSliceMs = 2;

    explicit EventYield(qint64 sliceMs = defaultSliceMs) : m_sliceMs(sliceMs) { }

    void operator()();

    // The coarse clock, in milliseconds.
    static qint64 coarseNowMs();

private:
    qint64 m_sliceMs;
    qint64 m_lastRanMs = -1;
};
