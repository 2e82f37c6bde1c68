#include "base/appinfo.h"

QString ApplicationTitle(const QString& productName)
{
    QString title = productName;
    bool first = true;
    while (first || title.size() > 40) {
        first = false;
        const int blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            break;
        title.truncate(blank);
    }
    return title;
}
