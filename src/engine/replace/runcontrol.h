// How a run keeps the window answering and stops an engine entry: the run
// control part of what a run hands the entries, apart from where results go.
#pragma once

#include <QtGlobal>

#include <functional>

struct RunControl {
    std::function<void()> yield; // before every pair of every chunk, single mode only
    std::function<bool()> stopRequested; // may be empty; checked after each yield: when true the
                                         // entry returns at once, the target untouched, no report
    // May be empty. Lets the window answer inside a long file, in both modes:
    // called between pairs and chunks once keepAliveMs have passed since the
    // last yield or keep-alive; the stop is checked after it too.
    std::function<void()> keepAlive;
    int keepAliveMs = 20;
    // May be empty: how much of the current source has been read, in bytes.
    std::function<void(qint64 done, qint64 total)> progress;
};
