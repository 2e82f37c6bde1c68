// The search levels a test runs its cases at: every one up to the processor's.
#pragma once

#include "engine/search/searchlevel.h"

#include <QList>

inline QList<SearchLevel> availableSearchLevels()
{
    QList<SearchLevel> levels;
    for (SearchLevel level : {SearchLevel::Scalar, SearchLevel::Sse2, SearchLevel::Avx2}) {
        if (level <= processorSearchLevel())
            levels << level;
    }
    return levels;
}
