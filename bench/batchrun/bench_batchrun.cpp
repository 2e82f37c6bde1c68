// The window's cost around the engine: the same files replaced in place once
// by calling the engine entries in a plain loop and once through the
// "Start Replacing" button of an offscreen main window (list filled directly,
// every box answered by a script), in both modes, in place or to an output
// folder. Every run starts from fresh copies of the given files, after sync.
// The rounds interleave both sides and both tabs; it prints the medians of
// wall and processor seconds, the ratios window / engine, and the process's
// peak memory.
//   bench_batchrun [--rounds N] [--only engine|window] [--tab 0|1] [--out FOLDER] PAIRS_FILE FILE...
// PAIRS_FILE holds one pair a line, find and replace separated by a tab.
#include "base/eventyield.h"
#include "base/headlessprompts.h"
#include "engine/output/commitqueue.h"
#include "engine/replace/replacetext.h"
#include "engine/textfile/sparetemporaries.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "pairs/widgets/setslist.h"
#include "pairs/widgets/setspage.h"
#include "window/form1.h"
#include "window/tabcontrol.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// Answers every box and keeps what it was shown.
struct RecordingPrompts : HeadlessPrompts {
    RecordingPrompts() : HeadlessPrompts([this](const QString& text) { messages.append(text); }) { }
    QStringList messages;
};

struct Pairs {
    QStringList finds;
    QStringList replaces;
};

Pairs readPairs(const QString& path)
{
    QFile file(path);
    Pairs pairs;
    if (!file.open(QIODevice::ReadOnly))
        return pairs;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        pairs.finds << line.section(QLatin1Char('\t'), 0, 0);
        pairs.replaces << line.section(QLatin1Char('\t'), 1);
    }
    return pairs;
}

// Fresh copies of the originals, so that every run has the same work to do,
// and none of the copies' data still waiting for the disk when the clock starts.
bool restore(const QStringList& originals, const QStringList& copies)
{
    for (qsizetype i = 0; i < originals.size(); ++i) {
        QFile::remove(copies[i]);
        if (!QFile::copy(originals[i], copies[i]))
            return false;
    }
#ifdef Q_OS_UNIX
    ::sync();
#endif
    return true;
}

double cpuSecondsSince(std::clock_t start)
{
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One side's figures in one tab, a figure a round.
struct Figures {
    std::vector<double> wall;
    std::vector<double> cpu;
};

bool reportProblems(const char* side, const RecordingPrompts& prompts, const QStringList& expected)
{
    if (prompts.messages == expected)
        return false;
    std::fprintf(stderr, "%s showed: %s\n", side, qPrintable(prompts.messages.join(QStringLiteral(" | "))));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int rounds = 3;
    // --only engine|window times one side (for a profiler); --tab 0|1 one mode.
    QString only;
    int onlyTab = -1;
    QString outFolder;
    for (;;) {
        if (args.size() > 1 && args.first() == QLatin1String("--rounds")) {
            args.removeFirst();
            rounds = std::max(1, args.takeFirst().toInt());
        } else if (args.size() > 1 && args.first() == QLatin1String("--only")) {
            args.removeFirst();
            only = args.takeFirst();
        } else if (args.size() > 1 && args.first() == QLatin1String("--tab")) {
            args.removeFirst();
            onlyTab = args.takeFirst().toInt();
        } else if (args.size() > 1 && args.first() == QLatin1String("--out")) {
            args.removeFirst();
            outFolder = args.takeFirst();
        } else {
            break;
        }
    }
    if (args.size() < 2) {
        std::fprintf(stderr,
            "usage: bench_batchrun [--rounds N] [--only engine|window] [--tab 0|1] [--out FOLDER] PAIRS_FILE "
            "FILE...\n");
        return 2;
    }
    const Pairs pairs = readPairs(args.takeFirst());
    const QStringList originals = args;

    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QTemporaryDir work(QFileInfo(originals.first()).absolutePath() + QStringLiteral("/../batchrun-work-XXXXXX"));
    QStringList files;
    for (qsizetype i = 0; i < originals.size(); ++i)
        files << QDir::toNativeSeparators(work.filePath(QStringLiteral("f%1.csv").arg(i)));
    qint64 bytes = 0;
    for (const QString& original : originals)
        bytes += QFileInfo(original).size();

    RecordingPrompts windowPrompts;
    Form1 form(windowPrompts, {QDir::toNativeSeparators(settings.path()) + QDir::separator(), [] { return 1; }});
    form.Form_Load();
    form.show();
    if (outFolder.isEmpty()) {
        form.Option2->click();
    } else {
        form.Option1->click();
        form.Text3->setText(QDir::toNativeSeparators(outFolder));
    }
    form.Text1->setPlainText(pairs.finds.join(QLatin1Char('\n')));
    form.Text2->setPlainText(pairs.replaces.join(QLatin1Char('\n')));
    for (qsizetype j = 0; j < pairs.finds.size(); ++j)
        form.setsPage().sets().appendSet(pairs.finds[j], pairs.replaces[j]);
    for (const QString& file : files)
        form.ListView1->fileList()->Append(file);
    QCoreApplication::processEvents();

    RecordingPrompts enginePrompts;
    ErrorReporter reporter(enginePrompts);
    const QString findWhat = pairs.finds.join(QStringLiteral("\r\n"));
    const QString replaceWith = pairs.replaces.join(QStringLiteral("\r\n"));

    std::printf("%lld files, %.0f MiB, %lld pair(s), %s; medians of %d rounds\n", static_cast<long long>(files.size()),
        bytes / 1048576.0, static_cast<long long>(pairs.finds.size()),
        outFolder.isEmpty() ? "in place" : "to an output folder", rounds);
    const Destination destination = outFolder.isEmpty() ? Destination{false, true, {}}
                                                        : Destination{true, false, QDir::toNativeSeparators(outFolder)};
    // The engine alone yields where the window's run does, as the window does:
    // in single mode, before every pair.
    EngineContext context{reporter, {EventYield()}, {[&destination] { return destination; }}};
    // Per tab, the engine's figures and the window's.
    std::array<std::array<Figures, 2>, 2> figures;
    const auto timeEngine = [&](int tab, Figures& into) {
        const std::clock_t cpu = std::clock();
        QElapsedTimer timer;
        timer.start();
        // Results in place committed in groups, as the window's run does.
        CommitQueue commits;
        SpareTemporaries spares;
        if (outFolder.isEmpty()) {
            context.output.commits = &commits;
            context.output.spares = &spares;
        }
        for (const QString& file : files) {
            if (tab == 0)
                ReplaceTextInFile(file, findWhat, replaceWith, context);
            else
                ReplaceTextInFileCombo(file, pairs.finds, pairs.replaces, context);
            if (commits.isFull())
                commits.send();
        }
        commits.flush();
        context.output.commits = nullptr;
        context.output.spares = nullptr;
        into.wall.push_back(timer.nsecsElapsed() / 1e9);
        into.cpu.push_back(cpuSecondsSince(cpu));
    };
    bool problems = false;
    const auto timeWindow = [&](int tab, Figures& into) {
        form.TabControl1->setCurrentIndex(tab);
        windowPrompts.messages.clear();
        const std::clock_t cpu = std::clock();
        QElapsedTimer timer;
        timer.start();
        form.PushButton12->click();
        into.wall.push_back(timer.nsecsElapsed() / 1e9);
        into.cpu.push_back(cpuSecondsSince(cpu));
        problems = reportProblems("window", windowPrompts, {QStringLiteral("Done.")}) || problems;
    };
    // Every round runs each side in each tab once, in an order that turns
    // with the round, so that none always gets the quieter disk or the warmer cache.
    std::vector<std::pair<int, bool>> runs; // tab, engine side
    for (const int tab : {1, 0}) {
        for (const bool engineSide : {true, false}) {
            if ((onlyTab < 0 || tab == onlyTab)
                && (only.isEmpty() || only == QLatin1String(engineSide ? "engine" : "window")))
                runs.emplace_back(tab, engineSide);
        }
    }
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < runs.size(); ++i) {
            const auto [tab, engineSide] = runs[(i + size_t(round)) % runs.size()];
            if (!outFolder.isEmpty()) {
                QDir(outFolder).removeRecursively();
                QDir().mkpath(outFolder);
            }
            if (!restore(originals, files))
                return 1;
            Figures& into = figures[size_t(tab)][engineSide ? 0 : 1];
            engineSide ? timeEngine(tab, into) : timeWindow(tab, into);
        }
    }
    problems = reportProblems("engine", enginePrompts, {}) || problems;
    // Wall time is what the user waits for; processor time (user and system)
    // is steadier on a shared disk.
    std::printf("  %-34s %10s %10s %7s   %10s %10s %7s\n", "mode", "engine s", "window s", "ratio", "engine cpu",
        "window cpu", "ratio");
    for (const int tab : {1, 0}) {
        const Figures& engine = figures[size_t(tab)][0];
        const Figures& window = figures[size_t(tab)][1];
        if (engine.wall.empty() && window.wall.empty())
            continue;
        const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
        std::printf("  %-34s %10.3f %10.3f %7.3f   %10.3f %10.3f %7.3f\n",
            tab == 1 ? "sets (no yields)" : "single (yield before every pair)", median(engine.wall),
            median(window.wall), ratio(median(window.wall), median(engine.wall)), median(engine.cpu),
            median(window.cpu), ratio(median(window.cpu), median(engine.cpu)));
    }
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  peak memory of the process (window and engine): %.1f MiB\n", usage.ru_maxrss / 1024.0);
#endif
    return problems ? 1 : 0;
}
