#include "wildcard.h"

namespace {
QString folded(const QString& text)
{
    return text.toCaseFolded();
}
} // namespace

Wildcard::Wildcard(const QString& pattern)
    : m_folded(folded(pattern)), m_everything(pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
{
}

bool Wildcard::matches(const QString& name) const
{
    if (m_everything)
        return true;
    const QString text = folded(name);
    // Greedy matching with one backtrack point: the latest "*" seen.
    qsizetype p = 0;
    qsizetype t = 0;
    qsizetype star = -1;
    qsizetype starText = 0;
    const qsizetype pn = m_folded.size();
    const qsizetype tn = text.size();
    while (t < tn) {
        if (p < pn && m_folded[p] == QLatin1Char('*')) {
            star = p++;
            starText = t;
        } else if (p < pn && (m_folded[p] == QLatin1Char('?') || m_folded[p] == text[t])) {
            ++p;
            ++t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pn && m_folded[p] == QLatin1Char('*'))
        ++p;
    return p == pn;
}
