#include "pairs/setsfile.h"

#include "base/failure.h"
#include "base/fileexists.h"
#include "base/prompts.h"

#include <QSaveFile>

void WriteSetsFile(const QString& path, const QStringList& findList, const QStringList& replaceList, Prompts& prompts)
{
    if (FileExists(path)
        && prompts.message(
               QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"), StyleYesNo)
            != Answer::Yes)
        return;

    QByteArray content;
    for (int i = 0; i < findList.size(); ++i) {
        content += findList[i].toUtf8();
        content += "::";
        content += replaceList.value(i).toUtf8();
        content += "\r\n";
    }
    // Written beside the target and renamed over it, so a failed save leaves the old file.
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk) shows here: a buffered
    // QSaveFile commits a file that its final flush wrote only in part.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Failure(file.errorString());
    for (qsizetype done = 0; done < content.size();) {
        const qint64 written = file.write(content.constData() + done, content.size() - done);
        if (written <= 0)
            throw Failure(file.errorString());
        done += written;
    }
    if (!file.commit())
        throw Failure(file.errorString());
}

bool cutSetLine(const QString& line, const QString& separator, SetLine& set)
{
    if (line.isEmpty() || separator.isEmpty())
        return false;
    const int first = line.indexOf(separator);
    if (first < 0)
        return false;
    const int afterFirst = first + separator.size();
    const int second = line.indexOf(separator, afterFirst);
    set.find = line.left(first);
    set.replace = line.mid(afterFirst, second < 0 ? -1 : second - afterFirst);
    return true;
}

QString setSaveProblem(const QString& find, const QString& replace)
{
    const QString separator = QStringLiteral("::");
    if (find.contains(separator))
        return QStringLiteral("its find text holds \"::\", which ends the find text in a set file");
    if (find.endsWith(QLatin1Char(':')))
        return QStringLiteral("its find text ends with \":\", which joins the \"::\" after it in a set file");
    if (replace.contains(separator))
        return QStringLiteral("its replace text holds \"::\", which ends the replace text in a set file");
    if (find.contains(QLatin1Char('\n')) || replace.contains(QLatin1Char('\n')))
        return QStringLiteral("it holds a line break, which ends the set's line in a set file");
    // A lone surrogate has no UTF-8 form.
    if (!find.isValidUtf16() || !replace.isValidUtf16())
        return QStringLiteral("it holds a broken character that a set file cannot store");
    // Saved first, it would read as the file's byte-order mark and be dropped.
    if (find.startsWith(QChar(0xFEFF)))
        return QStringLiteral("its find text begins with an invisible byte-order mark (U+FEFF)");
    return {};
}

QString unsavableSetMessage(const QString& find, const QString& replace, const QString& problem)
{
    return QStringLiteral("The set with find text \"") + find + QStringLiteral("\" and replace text \"") + replace
        + QStringLiteral("\" cannot be kept in a set file: ") + problem
        + QStringLiteral(", so it would load back as another set.");
}
