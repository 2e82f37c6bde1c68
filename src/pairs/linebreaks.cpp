#include "pairs/linebreaks.h"

QString crLfText(const QString& editorText)
{
    QString text;
    text.reserve(editorText.size() + editorText.size() / 8);
    for (const QChar ch : editorText) {
        // A paragraph ends at Enter, a line separator comes from Shift+Enter;
        // the user sees both as a new line.
        if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator || ch == QLatin1Char('\n'))
            text += QLatin1String("\r\n");
        else
            text += ch;
    }
    return text;
}
