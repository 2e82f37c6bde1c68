#include "filelist/listfile.h"

#include "base/fileexists.h"
#include "base/prompts.h"
#include "engine/textfile/textfilereader.h"
#include "filelist/filelistmodel.h"

bool isBlankLine(const QString& line)
{
    for (const QChar c : line) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

void LoadListFile(FileListModel& list, const QString& path, Prompts& prompts)
{
    if (!FileExists(path)) {
        prompts.message(QStringLiteral("File not found"), StyleOkOnly);
        return;
    }
    const auto read = ReadFileLines(path);
    for (const QString& line : read.lines) {
        if (!isBlankLine(line))
            list.Append(line);
    }
}
