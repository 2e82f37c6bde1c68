// Which vector instructions the searches use. The processor is asked once;
// a test can lower the level for a while, so that every level's code runs on
// a machine that has the widest.
#pragma once

enum class SearchLevel { Scalar, Sse2, Avx2 };

// The level in use: the processor's widest, or lower while an override lasts.
SearchLevel searchLevel();

// The widest level this processor and this build have.
SearchLevel processorSearchLevel();

const char* searchLevelName(SearchLevel level);

// Lowers the level in use while it lives (never above the processor's); the
// one before comes back after. Not for threads that search meanwhile.
class SearchLevelOverride {
public:
    explicit SearchLevelOverride(SearchLevel level);
    ~SearchLevelOverride();
    SearchLevelOverride(const SearchLevelOverride&) = delete;
    SearchLevelOverride& operator=(const SearchLevelOverride&) = delete;

    // What is in use, which may be lower than asked for.
    SearchLevel level() const;

private:
    int m_before;
};
