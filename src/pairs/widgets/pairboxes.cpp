#include "pairs/widgets/pairboxes.h"

#include "pairs/linebreaks.h"

#include <QPlainTextEdit>
#include <QTextDocument>

QString boxText(const QPlainTextEdit& box)
{
    // toPlainText() would turn non-breaking blanks into plain blanks, and a find
    // text must stay exactly as typed.
    return crLfText(box.document()->toRawText());
}
