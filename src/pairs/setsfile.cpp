#include "pairs/setsfile.h"

#include "base/failure.h"
#include "base/fileexists.h"
#include "base/prompts.h"

#include <QSaveFile>

void WriteSetsFile(const QString& path, const QStringList& findList, const QStringList& replaceList, Prompts& prompts)
{
    if (FileExists(path)
        && prompts.message(QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"),
                           StyleYesNo)
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
