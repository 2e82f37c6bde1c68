#include "filelist/wildcard.h"

namespace {
char16_t folded(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
    return QChar::toCaseFolded(c);
}
} // namespace

Wildcard::Wildcard(const QString& pattern)
    : m_pattern(pattern),
      m_everything(pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
{
    for (QChar& c : m_pattern)
        c = QChar(folded(c.unicode()));
}

bool Wildcard::matches(const QString& name) const
{
    if (m_everything)
        return true;
    // Greedy matching with one backtrack point: the latest "*" seen.
    const char16_t* pattern = reinterpret_cast<const char16_t*>(m_pattern.utf16());
    const char16_t* text = reinterpret_cast<const char16_t*>(name.utf16());
    const qsizetype pn = m_pattern.size();
    const qsizetype tn = name.size();
    qsizetype p = 0;
    qsizetype t = 0;
    qsizetype star = -1;
    qsizetype starText = 0;
    while (t < tn) {
        if (p < pn && pattern[p] == u'*') {
            star = p++;
            starText = t;
        } else if (p < pn && (pattern[p] == u'?' || pattern[p] == folded(text[t]))) {
            ++p;
            ++t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pn && pattern[p] == u'*')
        ++p;
    return p == pn;
}
