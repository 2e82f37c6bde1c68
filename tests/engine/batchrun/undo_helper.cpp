// A program of its own for the tests that stop it hard: it runs "Start
// Replacing" in place over the given files, or undoes the last run, with the
// given state folder, and can kill itself once a copy over a file itself (or
// back, for an undo) has copied a given number of bytes, or run with a file
// size limit (a full disk), or kill itself as the run reaches a row, with the
// engine's own entries (the next files made ahead, results waiting for their
// group), or as the Nth result is about to take its file's place. It prints
// every message it was shown.
//   undo_helper <state> run|undo [--kill-at BYTES] [--kill-at-row ROW]
//               [--kill-before-place N] [--fsize-limit BYTES] [--no-links]
//               <find> <replace> <files...>
#include "support/batchrunfixture.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString state = args.takeFirst();
    const QString mode = args.takeFirst();
    qint64 killAt = -1;
    int killAtRow = 0;
    int killBeforePlace = 0;
    bool links = true;
    while (!args.isEmpty() && args.first().startsWith("--")) {
        const QString option = args.takeFirst();
        if (option == "--kill-at") {
            killAt = args.takeFirst().toLongLong();
        } else if (option == "--kill-at-row") {
            killAtRow = args.takeFirst().toInt();
        } else if (option == "--kill-before-place") {
            killBeforePlace = args.takeFirst().toInt();
        } else if (option == "--fsize-limit") {
            const rlim_t limit = args.takeFirst().toULongLong();
            const struct rlimit size {
                limit, limit
            };
            setrlimit(RLIMIT_FSIZE, &size);
            std::signal(SIGXFSZ, SIG_IGN);
        } else if (option == "--no-links") {
            links = false;
        }
    }
    auto kill = [killAt](qint64 copied) {
        if (killAt >= 0 && copied >= killAt)
            std::raise(SIGKILL);
    };

    BatchRunFixture fixture;
    fixture.window.tab = 1;
    fixture.window.where = {false, true, {}};
    if (mode == "run") {
        fixture.window.finds = {args.takeFirst()};
        fixture.window.replaces = {args.takeFirst()};
        fixture.window.rows = args;
    }
    int rowsReached = 0;
    fixture.services.yield = [&rowsReached, killAtRow] {
        if (killAtRow > 0 && ++rowsReached == killAtRow)
            std::raise(SIGKILL);
    };
    int placing = 0;
    ReplaceEntries entries;
    if (killAtRow == 0) {
        entries.sets = [kill, killBeforePlace, &placing](const QString& path, const QStringList& finds,
                           const QStringList& replaces, EngineContext& context) {
            context.output.copyProgress = kill;
            if (killBeforePlace > 0) {
                context.output.beforeReplace = [killBeforePlace, &placing](const QString&) {
                    if (++placing == killBeforePlace)
                        std::raise(SIGKILL);
                };
            }
            return ReplaceTextInFileCombo(path, finds, replaces, context);
        };
    }
    BatchRun run(fixture.window, fixture.services, fixture.boxes, entries, BatchRunOptions{state});
    run.undoStore().setLinking(links);
    run.undoStore().setCopyProgress(kill);
    for (int i = 0; i < 4; ++i)
        fixture.prompts.answerMessage(Answer::Yes);
    if (mode == "run")
        run.PushButton12_Click();
    else
        run.undoLastRun();
    for (const ShownPrompt& shown : fixture.prompts.shown())
        std::printf("%s\n%s\n", qPrintable(shown.text), qPrintable(shown.details));
    return 0;
}
