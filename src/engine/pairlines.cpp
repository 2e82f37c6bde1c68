#include "pairlines.h"

QStringList SplitCrLfLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral("\r\n"), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

qsizetype CrLfLineCount(const QString& text)
{
    return SplitCrLfLines(text).size();
}
