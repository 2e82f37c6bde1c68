// A review against "Count Matches Only": the same batch run over the same
// files, once counting and once keeping every changed line, alternating, with
// the disk synced before each timing. Both write nothing; the review's count
// of every file is checked against the count's report. Prints wall and
// processor seconds and the ratio review / count, of the best round and of
// the median one (the upper of two), as a busy machine spreads them.
//   bench_review [--rounds N] [--tab 0|1] [--only count|review] PAIRS_FILE FILE...
// --only runs one side once, for measuring its peak memory from outside.
// PAIRS_FILE holds one pair a line, find and replace separated by a tab.
#include "base/headlessprompts.h"
#include "engine/batchrun/batchrun.h"
#include "engine/batchrun/batchrunboxes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Keeps the rows of the last run's report: the count's.
struct RecordingBoxes : BatchRunBoxes {
    QList<RunRow> rows;
    bool refused = false;

    void refuse(Refusal, const QString&, const QString&) override { refused = true; }
    bool confirmStop() override { return false; }
    void runEnded(const RunEnding& ending) override { rows = ending.report.rows; }
    void nothingToUndo(const UndoStore::Candidate&, const QStringList&) override { }
    bool confirmUndo(int) override { return false; }
    void undone(const QList<UndoOutcome>&, const QStringList&) override { }
    void recovered(const QStringList&) override { }
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

// The best of the rounds' times, or their median.
double at(std::vector<double> times, bool median)
{
    std::sort(times.begin(), times.end());
    return median ? times[times.size() / 2] : times.front();
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
    QString only;
    while (args.size() > 1 && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--rounds"))
            rounds = std::max(1, args.takeFirst().toInt());
        else if (option == QLatin1String("--tab"))
            onlyTab = args.takeFirst().toInt();
        else if (option == QLatin1String("--only"))
            only = args.takeFirst();
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_review [--rounds N] [--tab 0|1] [--only count|review] PAIRS_FILE FILE...\n");
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
    HeadlessPrompts prompts([](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    ErrorReporter reporter(prompts);
    WindowPointer pointer;
    WindowServices services{prompts, reporter, pointer, {}, [] {}, {}};
    RecordingBoxes boxes;
    BatchRun run(window, services, boxes, ReplaceEntries{}, BatchRunOptions{state.path()});

    if (!only.isEmpty()) {
        window.tab = onlyTab >= 0 ? onlyTab : 1;
        if (only == QLatin1String("count"))
            run.countMatches();
        else
            std::printf("%lld rows reviewed\n", static_cast<long long>(run.review().rows.size()));
        return 0;
    }
    std::printf("%lld files, %.0f MiB, %lld pair(s), nothing written; best and median of %d rounds\n",
        static_cast<long long>(window.files.size()), bytes / 1048576.0, static_cast<long long>(window.finds.size()),
        rounds);
    std::printf("  %-13s %10s %10s %7s   %10s %10s %7s   %s\n", "mode", "count s", "review s", "ratio", "count cpu",
        "review cpu", "ratio", "changed lines kept");
    bool problems = false;
    for (const int tab : {1, 0}) {
        if (onlyTab >= 0 && tab != onlyTab)
            continue;
        window.tab = tab;
        std::vector<double> count, review, countCpu, reviewCpu;
        QList<RunRow> counted;
        ReviewResult reviewed;
        for (int round = 0; round < rounds; ++round) {
            for (int side = 0; side < 2; ++side) {
                const bool countSide = (round + side) % 2 == 0;
                // The last review's lines are let go of first: that is no part of the next one.
                if (!countSide)
                    reviewed = ReviewResult{};
                syncDisk();
                const std::clock_t cpu = std::clock();
                QElapsedTimer timer;
                timer.start();
                if (countSide) {
                    run.countMatches();
                    count.push_back(timer.nsecsElapsed() / 1e9);
                    countCpu.push_back(cpuSecondsSince(cpu));
                    counted = boxes.rows;
                } else {
                    reviewed = run.review();
                    review.push_back(timer.nsecsElapsed() / 1e9);
                    reviewCpu.push_back(cpuSecondsSince(cpu));
                }
            }
        }
        // The same count for every file, and every changed line kept or counted.
        qint64 lines = 0;
        problems = problems || boxes.refused || counted.size() != reviewed.rows.size();
        for (qsizetype r = 0; r < reviewed.rows.size() && r < counted.size(); ++r) {
            const ReviewedRow& row = reviewed.rows[r];
            if (counted[r].outcome.kind != row.outcome.kind
                || counted[r].outcome.replacements != row.outcome.replacements) {
                std::fprintf(stderr, "the count and the review differ on %s\n", qPrintable(row.path));
                problems = true;
            }
            if (row.outcome.kind == FileOutcome::Changed && row.review.replacements != row.outcome.replacements)
                problems = true;
            lines += row.review.lines.size() + row.review.moreLines;
        }
        for (const bool median : {false, true}) {
            const double c = at(count, median), r = at(review, median);
            const double cc = at(countCpu, median), rc = at(reviewCpu, median);
            std::printf("  %-6s %-6s %10.3f %10.3f %7.3f   %10.3f %10.3f %7.3f   %lld\n", tab == 1 ? "sets" : "single",
                median ? "median" : "best", c, r, r / c, cc, rc, rc / cc, static_cast<long long>(lines));
        }
    }
    return problems ? 1 : 0;
}
