// A separate process for the fault tests: replaces in one file with the sets
// entry and prints every error report, one per line, so that a test can limit
// its file size, run it as another user or kill it midway.
//   engine_replace_helper [--fsize-limit BYTES] [--as-nobody] [--chunk UNITS]
//                         [--out FOLDER] [--queue] SOURCE... FIND REPLACE
// --queue commits results in place in groups, as a run does.
#include "base/headlessprompts.h"
#include "engine/output/commitqueue.h"
#include "engine/replace/replacetext.h"
#include "engine/textfile/sparetemporaries.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

// Exit codes: 2 bad arguments, 3 the user could not be changed, 4 an option
// this platform cannot honour.

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    Destination destination{false, true, {}};
    qsizetype chunkSize = 65536;
    bool queued = false;
    while (!args.isEmpty() && args.first().startsWith("--")) {
        const QString option = args.takeFirst();
        if (option == "--fsize-limit") {
#if defined(Q_OS_UNIX)
            const rlim_t limit = args.takeFirst().toULongLong();
            const rlimit value{limit, limit};
            std::signal(SIGXFSZ, SIG_IGN); // a failed write instead of a killed process
            setrlimit(RLIMIT_FSIZE, &value);
#else
            return 4;
#endif
        } else if (option == "--as-nobody") {
#if defined(Q_OS_UNIX)
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return 3;
#else
            return 4;
#endif
        } else if (option == "--chunk") {
            chunkSize = args.takeFirst().toLongLong();
        } else if (option == "--queue") {
            queued = true;
        } else if (option == "--out") {
            destination = Destination{true, false, args.takeFirst()};
        }
    }
    if (args.size() < 3)
        return 2;
    HeadlessPrompts prompts([](const QString& text) {
        std::printf("%s\n", qPrintable(QString(text).replace('\r', ' ').replace('\n', ' ')));
        std::fflush(stdout);
    });
    ErrorReporter reporter(prompts);
    EngineContext context{reporter, {}, {[&] { return destination; }}, chunkSize};
    CommitQueue commits;
    // Queued as the window's run does: temporary files made ahead as well.
    SpareTemporaries spares;
    if (queued) {
        context.output.commits = &commits;
        context.output.spares = &spares;
    }
    const QString find = args[args.size() - 2];
    const QString replace = args.last();
    for (const QString& source : args.mid(0, args.size() - 2)) {
        ReplaceTextInFileCombo(source, {find}, {replace}, context);
        if (commits.isFull())
            commits.send();
    }
    commits.flush();
    return 0;
}
