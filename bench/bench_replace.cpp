// Times the replacement engine on files given on the command line, as the
// batch run would call it, and prints seconds, bytes, peak memory and the
// bytes the process wrote to the disk.
//   bench_replace [--single] [--out FOLDER] [--commit-each] [--group FILES]
//                 [--one-by-one] PAIRS_FILE FILE...
// PAIRS_FILE holds one pair a line, find and replace separated by a tab.
// --single uses the single-mode entry with its yields to the event loop.
// --commit-each commits every result in place on its own instead of in
// groups as the run does, to compare the two; --group sets how many files a
// group holds at most. --one-by-one reads and replaces every file in turn
// instead of the next files ahead on another thread, as the run does.
#include "base/eventyield.h"
#include "base/headlessprompts.h"
#include "engine/output/commitqueue.h"
#include "engine/replace/filesahead.h"
#include "engine/replace/preparedresult.h"
#include "engine/replace/replacetext.h"
#include "engine/textfile/sparetemporaries.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sys/resource.h>

namespace {

// What this process has written to the disk so far (Linux only; -1 elsewhere).
long long writtenBytes()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("write_bytes:"))
            return line.mid(12).trimmed().toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bool single = false;
    bool commitEach = false;
    bool spares = true;
    bool ahead = true;
    CommitQueue::Limits limits = CommitQueue::defaultLimits;
    Destination destination{false, true, {}};
    while (!args.isEmpty() && args.first().startsWith("--")) {
        const QString option = args.takeFirst();
        if (option == "--single")
            single = true;
        else if (option == "--commit-each")
            commitEach = true;
        else if (option == "--one-by-one")
            ahead = false;
        else if (option == "--no-spares")
            spares = false;
        else if (option == "--group")
            limits.files = args.takeFirst().toInt();
        else if (option == "--out")
            destination = Destination{true, false, args.takeFirst()};
    }
    if (args.size() < 2) {
        std::fprintf(stderr,
            "usage: bench_replace [--single] [--commit-each] [--group N] [--no-spares] [--one-by-one] [--out FOLDER] "
            "PAIRS_FILE "
            "FILE...\n");
        return 2;
    }
    QFile pairsFile(args.takeFirst());
    if (!pairsFile.open(QIODevice::ReadOnly))
        return 2;
    QStringList finds, replaces;
    for (const QString& line : QString::fromUtf8(pairsFile.readAll()).split('\n', Qt::SkipEmptyParts)) {
        finds << line.section('\t', 0, 0);
        replaces << line.section('\t', 1);
    }

    int reports = 0;
    HeadlessPrompts prompts([&reports](const QString& text) {
        ++reports;
        std::fprintf(stderr, "report: %s\n", qPrintable(text));
    });
    ErrorReporter reporter(prompts);
    EngineContext context{reporter, {EventYield()}, {[&] { return destination; }}, 65536};
    CommitQueue commits({}, limits);
    if (!commitEach)
        context.output.commits = &commits;
    // As a run does: temporary files in place are made ahead beside the work.
    SpareTemporaries spareFiles;
    if (spares)
        context.output.spares = &spareFiles;
    const long long writtenBefore = writtenBytes();
    qint64 bytes = 0;
    QElapsedTimer timer;
    timer.start();
    std::optional<FilesAhead> filesAhead;
    if (ahead)
        filesAhead.emplace();
    FilesAhead::Work work{{}, single ? 0 : 1, single ? QStringList{finds.join("\r\n")} : finds,
        single ? QStringList{replaces.join("\r\n")} : replaces};
    int handed = 0; // the last file handed ahead
    for (int row = 0; row < args.size(); ++row) {
        const QString& file = args[row];
        for (handed = std::max(handed, row); filesAhead && handed + 1 < args.size() && filesAhead->hasRoom();) {
            work.path = args[++handed];
            filesAhead->add(handed, work);
        }
        std::optional<PreparedResult> prepared;
        if (filesAhead) {
            work.path = file;
            prepared = filesAhead->take(row, work);
        }
        context.prepared = prepared ? &*prepared : nullptr;
        bytes += QFileInfo(file).size();
        if (single)
            ReplaceTextInFile(file, finds.join("\r\n"), replaces.join("\r\n"), context);
        else
            ReplaceTextInFileCombo(file, finds, replaces, context);
        context.prepared = nullptr;
        if (commits.isFull())
            commits.send();
    }
    filesAhead.reset();
    commits.flush();
    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("seconds %.3f bytes %lld peak_kib %ld reports %d written_bytes %lld\n", seconds,
        static_cast<long long>(bytes), usage.ru_maxrss, reports, writtenBytes() - writtenBefore);
    return reports == 0 ? 0 : 1;
}
