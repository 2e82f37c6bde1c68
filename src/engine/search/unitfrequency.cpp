#include "engine/search/unitfrequency.h"

namespace {

// A rough order of how often bytes occur in text and CSV files: space, lower
// case letters by English frequency, digits and field punctuation are common;
// control characters and bytes above 7F are rare.
constexpr int rankOf(unsigned unit)
{
    constexpr const char* lower = "etaoinsrhldcumfpgwybvkxjqz";
    constexpr const char* upper = "ETAOINSRHLDCUMFPGWYBVKXJQZ";
    if (unit == ' ')
        return 255;
    if (unit == ',' || unit == '.' || unit == '0' || unit == '1' || unit == '2')
        return 215;
    if (unit >= '3' && unit <= '9')
        return 205;
    if (unit == '\r' || unit == '\n' || unit == '"' || unit == ';' || unit == '-' || unit == ':')
        return 170;
    if (unit == '\t' || unit == '/' || unit == '\'' || unit == '(' || unit == ')' || unit == '_' || unit == '@')
        return 110;
    for (int i = 0; lower[i] != 0; ++i) {
        if (unit == static_cast<unsigned>(lower[i]))
            return 250 - 3 * i;
        if (unit == static_cast<unsigned>(upper[i]))
            return 150 - 2 * i;
    }
    if (unit >= 0x21 && unit < 0x7F)
        return 60;
    if (unit >= 0x80 && unit < 0xC0)
        return 50; // UTF-8 continuation bytes
    return 30;
}

} // namespace

int unitFrequencyRank(char16_t unit)
{
    return rankOf(unit);
}
