#include "setanswer.h"

#include <QStringList>

bool hasSetSeparator(const QString& answer)
{
    return answer.contains(setSeparator, Qt::CaseSensitive);
}

FindReplaceSet cutSetAnswer(const QString& answer)
{
    const QStringList pieces = answer.split(setSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    return {pieces.value(0), pieces.value(1)};
}
