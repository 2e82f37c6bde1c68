// A review against "Count Matches Only": the same batch run over the same
// files, once counting and once keeping every changed line, alternating, with
// the disk synced before each timing. Both write nothing; the review's count
// of every file is checked against the count's report. Prints wall and
// processor seconds and the ratio review / count.
//   bench_review [--rounds N] [--tab 0|1] PAIRS_FILE FILE...
// PAIRS_FILE holds one pair a line, find and replace separated by a tab.
#include "base/headlessprompts.h"
#include "engine/batchrun/batchrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Keeps the details of the last box: the count's report.
struct DetailPrompts : HeadlessPrompts {
    QString details;

protected:
    Answer showMessageWithDetails(const QString& text, const QString& shown, int style, const QString& title) override
    {
        details = shown;
        return showMessage(text, style, title);
    }
};

struct PlainWindow : BatchRunWindow {
    QStringList files;
    QStringList finds;
    QStringList replaces;
    int tab = 1;

    int rowCount() const override { return int(files.size()); }
    QString rowText(int row) const override { return files.at(row - 1); }
    int selectedTab() const override { return tab; }
    QString findWhat() const override { return finds.join(QStringLiteral("\r\n")); }
    QString replaceWith() const override { return replaces.join(QStringLiteral("\r\n")); }
    QStringList findList() const override { return finds; }
    QStringList replaceList() const override { return replaces; }
    Destination destination() const override { return {false, true, {}}; }
};

double cpuSecondsSince(std::clock_t start)
{
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

void syncDisk()
{
#ifdef Q_OS_UNIX
    ::sync();
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int rounds = 3;
    int onlyTab = -1;
    while (args.size() > 1 && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--rounds"))
            rounds = std::max(1, args.takeFirst().toInt());
        else if (option == QLatin1String("--tab"))
            onlyTab = args.takeFirst().toInt();
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_review [--rounds N] [--tab 0|1] PAIRS_FILE FILE...\n");
        return 2;
    }
    PlainWindow window;
    QFile pairsFile(args.takeFirst());
    if (!pairsFile.open(QIODevice::ReadOnly))
        return 2;
    for (const QString& line : QString::fromUtf8(pairsFile.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        window.finds << line.section(QLatin1Char('\t'), 0, 0);
        window.replaces << line.section(QLatin1Char('\t'), 1);
    }
    qint64 bytes = 0;
    for (const QString& file : args) {
        window.files << QFileInfo(file).absoluteFilePath();
        bytes += QFileInfo(file).size();
    }
    QTemporaryDir state;
    DetailPrompts prompts;
    ErrorReporter reporter(prompts);
    WindowPointer pointer;
    WindowServices services{prompts, reporter, pointer, {}, [] {}, {}};
    BatchRun run(window, services, ReplaceEntries{}, BatchRunOptions{state.path()});

    std::printf("%lld files, %.0f MiB, %lld pair(s), nothing written; best of %d rounds\n",
        static_cast<long long>(window.files.size()), bytes / 1048576.0, static_cast<long long>(window.finds.size()),
        rounds);
    std::printf("  %-10s %10s %10s %7s   %10s %10s %7s   %s\n", "mode", "count s", "review s", "ratio", "count cpu",
        "review cpu", "ratio", "changed lines kept");
    bool problems = false;
    for (const int tab : {1, 0}) {
        if (onlyTab >= 0 && tab != onlyTab)
            continue;
        window.tab = tab;
        double count = 1e9, review = 1e9, countCpu = 1e9, reviewCpu = 1e9;
        QString countDetails;
        ReviewResult reviewed;
        for (int round = 0; round < rounds; ++round) {
            for (int side = 0; side < 2; ++side) {
                const bool countSide = (round + side) % 2 == 0;
                syncDisk();
                const std::clock_t cpu = std::clock();
                QElapsedTimer timer;
                timer.start();
                if (countSide) {
                    run.countMatches();
                    count = std::min(count, timer.nsecsElapsed() / 1e9);
                    countCpu = std::min(countCpu, cpuSecondsSince(cpu));
                    countDetails = prompts.details;
                } else {
                    reviewed = run.review();
                    review = std::min(review, timer.nsecsElapsed() / 1e9);
                    reviewCpu = std::min(reviewCpu, cpuSecondsSince(cpu));
                }
            }
        }
        // The same count for every file, and every changed line kept or counted.
        qint64 lines = 0;
        for (const ReviewedRow& row : reviewed.rows) {
            RunRow counted{QDir::toNativeSeparators(row.path), row.outcome};
            if (!countDetails.contains(QLatin1Char('\n') + rowLine(counted, true))) {
                std::fprintf(stderr, "the count and the review differ on %s\n", qPrintable(row.path));
                problems = true;
            }
            if (row.outcome.kind == FileOutcome::Changed && row.review.replacements != row.outcome.replacements)
                problems = true;
            lines += row.review.lines.size() + row.review.moreLines;
        }
        std::printf("  %-10s %10.3f %10.3f %7.3f   %10.3f %10.3f %7.3f   %lld\n", tab == 1 ? "sets" : "single", count,
            review, review / count, countCpu, reviewCpu, reviewCpu / countCpu, static_cast<long long>(lines));
    }
    return problems ? 1 : 0;
}
