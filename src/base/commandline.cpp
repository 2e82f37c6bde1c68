#include "base/commandline.h"

#include "base/appinfo.h"

CommandLineAnswer answerCommandLine(const QStringList& arguments)
{
    // Help wins over the version when both are asked for, as most programs do.
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        return {true, QStringLiteral("Usage: tallowmere [--help | --version]\n"
                                     "\n"
                                     "%1 finds and replaces text in many text files in one batch.\n"
                                     "Started without options, it opens its window.\n"
                                     "\n"
                                     "  -h, --help     show this help and exit\n"
                                     "  -v, --version  show the version and exit\n")
                          .arg(AppInfo::productName)};
    }
    if (arguments.contains(QStringLiteral("--version")) || arguments.contains(QStringLiteral("-v")))
        return {true, AppInfo::productName + QLatin1Char(' ') + AppInfo::version + QLatin1Char('\n')};
    return {};
}
