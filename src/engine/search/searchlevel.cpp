#include "engine/search/searchlevel.h"

#include <algorithm>
#include <atomic>

namespace {

// -1 while no override lasts.
std::atomic<int> overridden{-1};

} // namespace

SearchLevel processorSearchLevel()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // Worked out at the first call: other files ask while their statics are set up.
    static const SearchLevel level
        = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0) ? SearchLevel::Avx2 : SearchLevel::Sse2;
    return level;
#elif defined(__SSE2__)
    return SearchLevel::Sse2;
#else
    return SearchLevel::Scalar;
#endif
}

SearchLevel searchLevel()
{
    const int level = overridden.load(std::memory_order_relaxed);
    return level < 0 ? processorSearchLevel() : SearchLevel(level);
}

const char* searchLevelName(SearchLevel level)
{
    switch (level) {
    case SearchLevel::Scalar: return "scalar";
    case SearchLevel::Sse2: return "SSE2";
    case SearchLevel::Avx2: return "AVX2";
    }
    return "?";
}

SearchLevelOverride::SearchLevelOverride(SearchLevel level) : m_before(overridden.load())
{
    overridden.store(int(std::min(level, processorSearchLevel())));
}

SearchLevelOverride::~SearchLevelOverride()
{
    overridden.store(m_before);
}

SearchLevel SearchLevelOverride::level() const
{
    return searchLevel();
}
