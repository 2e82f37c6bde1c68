#include "namerules.h"

#include <QFile>

bool HasUnsafeCharacters(const QString& name)
{
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code < 32 || (code >= 0x7F && code <= 0x9F) || code == u'?')
            return true;
    }
    return false;
}

namespace {
qsizetype platformLength(const QString& text)
{
#ifdef Q_OS_WIN
    return text.size();
#else
    return QFile::encodeName(text).size();
#endif
}
} // namespace

bool folderPathWithinLimit(const QString& path)
{
#ifdef Q_OS_WIN
    return platformLength(path) < 260;
#else
    return platformLength(path) < 4096;
#endif
}

bool nameWithinLimit(const QString& name)
{
#ifdef Q_OS_WIN
    return platformLength(name) < 260;
#else
    return platformLength(name) < 256;
#endif
}

namespace {
char16_t upper(char16_t c)
{
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
    return QChar::toUpper(c);
}
} // namespace

bool listedBefore(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = upper(a[i].unicode());
        const char16_t y = upper(b[i].unicode());
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}
