#include "base/commandline.h"

#include "base/appinfo.h"

#include <QDir>

namespace {
const QString usageLine = QStringLiteral("Usage: tallowmere [--help | --version] [FILE | FOLDER]...\n");

QString helpText()
{
    return usageLine
        + QStringLiteral("\n"
                         "%1 finds and replaces text in many text files in one batch.\n"
                         "It opens its window with the files named added to the list; a\n"
                         "folder adds its files and those of its sub-folders that have the\n"
                         "extension last used by \"Add All CSV File(s) In Folder\" (csv at first).\n"
                         "\n"
                         "  -h, --help     show this help and exit\n"
                         "  -v, --version  show the version and exit\n"
                         "  --             take every later argument as a file or folder\n")
              .arg(AppInfo::productName);
}

bool isOption(const QString& argument)
{
    // "-" alone is a name like any other.
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}
} // namespace

CommandLineAnswer answerCommandLine(const QStringList& arguments, const QString& workingFolder)
{
    CommandLineAnswer answer;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    const QDir working(workingFolder);
    for (const QString& argument : arguments) {
        if (optionsEnded || !isOption(argument)) {
            answer.paths.append(QDir::toNativeSeparators(QDir::cleanPath(working.absoluteFilePath(argument))));
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            help = true;
        } else if (argument == QLatin1String("--version") || argument == QLatin1String("-v")) {
            version = true;
        } else {
            // The first unknown option decides: nothing else on the line is acted on.
            return {true, usageExitCode, {},
                QStringLiteral("tallowmere: unknown option %1\n").arg(argument) + usageLine
                    + QStringLiteral("Try 'tallowmere --help' for more.\n"),
                {}};
        }
    }
    // Help wins over the version when both are asked for, as most programs do.
    if (help)
        return {true, 0, helpText(), {}, {}};
    if (version)
        return {true, 0, AppInfo::productName + QLatin1Char(' ') + AppInfo::version + QLatin1Char('\n'), {}, {}};
    return answer;
}
