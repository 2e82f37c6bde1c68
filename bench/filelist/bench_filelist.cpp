// Times the file list on big batches through the main window's own buttons,
// offscreen: "Add All CSV File(s) In Folder" over a generated tree of 100,000
// files in 5,000 folders against find on the same tree, then removing half of
// a 100,000-row list with "Remove Filenames Contain. X", and "Clear List".
//   bench_filelist <tree folder>   (created when missing, kept afterwards)
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int topFolders = 50;
constexpr int foldersPerTop = 99; // 50 + 50 * 99 = 5,000 folders
constexpr int filesPerFolder = 20; // 100,000 files

// Answers the scan's two questions and nothing else.
class BenchPrompts : public Prompts {
public:
    QString folder;
    QString answer;

protected:
    Answer showMessage(const QString& text, int, const QString&) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        return Answer::Ok;
    }
    QString showInput(const QString&, const QString&, const QString&) override { return answer; }
    QStringList showOpenFiles(const FileDialogRequest&) override { return {}; }
    QString showSaveFile(const FileDialogRequest&) override { return {}; }
    QString showBrowseFolder(const QString&, const QString&) override { return folder; }
    bool showWithDesktop(const QString&) override { return false; }
};

void makeFiles(const QString& folder)
{
    QDir().mkpath(folder);
    for (int i = 0; i < filesPerFolder; ++i) {
        QFile file(folder + QStringLiteral("/data %1.csv").arg(i, 2, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(file.fileName()));
    }
}

void generateTree(const QString& root)
{
    if (QFile::exists(root + QStringLiteral("/.complete")))
        return;
    const int folders = topFolders * (1 + foldersPerTop);
    std::fprintf(
        stderr, "generating %d files in %d folders under %s\n", folders * filesPerFolder, folders, qPrintable(root));
    for (int t = 0; t < topFolders; ++t) {
        const QString top = root + QStringLiteral("/Region %1").arg(t);
        makeFiles(top);
        for (int s = 0; s < foldersPerTop; ++s)
            makeFiles(top + QStringLiteral("/Branch %1").arg(s));
    }
    QFile marker(root + QStringLiteral("/.complete"));
    marker.open(QIODevice::WriteOnly);
}

template <class Run> double seconds(Run run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_filelist <tree folder>\n");
        return 2;
    }
    const QString root = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    generateTree(root);

    // The window's settings go to a scratch store, not the user's.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    BenchPrompts prompts;
    Form1 form(prompts, Form1Environment{settingsDir.path() + QLatin1Char('/'), [] { return 1; }});
    form.Form_Load();
    form.show();
    FileListModel* list = form.ListView1->fileList();
    prompts.folder = root;
    prompts.answer = QStringLiteral("csv");

    // Warm the file-system caches for both sides alike.
    form.PushButton3->click();
    list->Clear();

    // Turn about, best of five each, so that load from elsewhere hits both alike.
    int found = 0;
    double scan = 1e9;
    double find = 1e9;
    for (int run = 0; run < 5; ++run) {
        scan = std::min(scan, seconds([&] {
            list->Clear();
            form.PushButton3->click();
            QCoreApplication::processEvents();
            found = list->Count();
        }));
        find = std::min(find, seconds([&] {
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            process.start(QStringLiteral("find"),
                {root, QStringLiteral("-type"), QStringLiteral("f"), QStringLiteral("-name"), QStringLiteral("*.csv")});
            process.waitForFinished(-1);
        }));
    }
    std::printf("scan   %d files: %.3f s   find: %.3f s   ratio scan/find %.2f (target <= 3)\n", found, scan, find,
        scan / find);

    // Pruning half of a 100,000-row list: every second row has "odd" in it.
    QStringList rows;
    for (int i = 1; i <= 100000; ++i)
        rows.append(QStringLiteral("/data/%1/file %2.csv").arg(QLatin1String(i % 2 ? "odd" : "even")).arg(i));
    const auto fillList = [&] {
        list->Clear();
        for (const QString& row : rows)
            list->Append(row);
        list->publishPending();
        QCoreApplication::processEvents();
    };
    double prune = 1e9;
    double clear = 1e9;
    for (int run = 0; run < 3; ++run) {
        fillList();
        prompts.answer = QStringLiteral("ODD");
        prune = std::min(prune, seconds([&] {
            form.PushButton17->click();
            QCoreApplication::processEvents();
        }));
        if (list->Count() != 50000)
            qFatal("pruning left %d rows", list->Count());
        form.pointer().set(WindowPointer::Default);
        fillList();
        clear = std::min(clear, seconds([&] {
            form.PushButton5->click();
            QCoreApplication::processEvents();
        }));
    }
    std::printf("prune  half of 100000 rows: %.3f s   (target < 0.5 s, ratio to target %.2f)\n", prune, prune / 0.5);
    std::printf("clear  100000 rows: %.3f s   (target < 0.5 s, ratio to target %.2f)\n", clear, clear / 0.5);
    return 0;
}
