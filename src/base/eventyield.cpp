#include "base/eventyield.h"

#include <QCoreApplication>

#include <chrono>

#ifdef Q_OS_LINUX
#include <time.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

qint64 EventYield::coarseNowMs()
{
#if defined(Q_OS_LINUX)
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
#elif defined(Q_OS_WIN)
    return qint64(::GetTickCount64());
#else
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

void EventYield::operator()()
{
    if (--m_untilLook > 0)
        return;
    const qint64 now = coarseNowMs();
    // Within one tick of the clock since the last look: the calls come fast,
    // look less often. Otherwise at every call again: calls that slow down
    // hold an event back for a stride of them once, then no more.
    m_stride = now == m_lastLookMs ? qMin(2 * m_stride, mostStride) : 1;
    m_lastLookMs = now;
    m_untilLook = m_stride;
    if (m_lastRanMs >= 0 && now - m_lastRanMs < m_sliceMs)
        return;
    QCoreApplication::processEvents();
    // From after the events: a handler that ran long leaves the next slice whole.
    m_lastRanMs = coarseNowMs();
}
