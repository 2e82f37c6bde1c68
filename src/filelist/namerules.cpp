#include "filelist/namerules.h"

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
#ifdef Q_OS_WIN
constexpr qsizetype folderPathLimit = 260;
constexpr qsizetype nameLimit = 260;

qsizetype platformLength(const QString& text)
{
    return text.size();
}
#else
constexpr qsizetype folderPathLimit = 4096;
constexpr qsizetype nameLimit = 256;

qsizetype platformLength(const QString& text)
{
    return QFile::encodeName(text).size();
}
#endif
} // namespace

bool folderPathWithinLimit(const QString& path)
{
    return platformLength(path) < folderPathLimit;
}

bool nameWithinLimit(const QString& name)
{
    return platformLength(name) < nameLimit;
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
