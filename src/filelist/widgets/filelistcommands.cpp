#include "filelist/widgets/filelistcommands.h"

#include "base/widgets/cursorfile.h"
#include "filelist/dialogpicks.h"
#include "base/errorreport.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "engine/batchrun/filetests.h"
#include "filelist/listfile.h"
#include "filelist/listfilters.h"
#include "base/pathseparator.h"
#include "base/settings.h"
#include "base/windowservices.h"

#include <QPushButton>

namespace {
QString form1Location(const char* procedure)
{
    return errorLocation(QStringLiteral("Form1"), QLatin1String(procedure));
}
} // namespace

FileListCommands::FileListCommands(const FileListControls& controls, WindowServices& services,
                                   std::function<bool()> windowClosing, QObject* parent)
    : QObject(parent), m_controls(controls), m_services(services), m_windowClosing(std::move(windowClosing))
{
    FileListView* view = m_controls.ListView1;
    view->setWindowPointer(&m_services.pointer);
    view->setDragCursor(loadCursorFile(m_services.programFolder + QStringLiteral("drag.ico")));

    connect(m_controls.PushButton13, &QPushButton::clicked, this, &FileListCommands::PushButton13_Click);
    connect(m_controls.PushButton9, &QPushButton::clicked, this, &FileListCommands::PushButton9_Click);
    connect(m_controls.PushButton3, &QPushButton::clicked, this, &FileListCommands::PushButton3_Click);
    connect(m_controls.PushButton17, &QPushButton::clicked, this, &FileListCommands::PushButton17_Click);
    connect(m_controls.PushButton11, &QPushButton::clicked, this, &FileListCommands::PushButton11_Click);
    connect(m_controls.PushButton5, &QPushButton::clicked, this, &FileListCommands::PushButton5_Click);
    connect(view, &FileListView::listDoubleClicked, this, &FileListCommands::ListView1_DblClick);
    connect(view, &FileListView::removeKeyPressed, this, &FileListCommands::ListView1_DblClick);
    // Queued: the file manager gets its answer before a dropped folder is searched.
    connect(view, &FileListView::filesDropped, this, &FileListCommands::ListView1_OLEDragDrop, Qt::QueuedConnection);
}

FileListModel& FileListCommands::list()
{
    return *m_controls.ListView1->fileList();
}

bool FileListCommands::keepGoing()
{
    m_services.yield();
    return !(m_windowClosing && m_windowClosing());
}

void FileListCommands::PushButton13_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton13_Click"));
    QStringList picked;
    proc.step(100, [&] {
        picked = m_services.prompts.openFiles({QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                                               QStringLiteral("CSV Files (*.csv)|*.csv|"), true, QString()});
    });
    proc.reach(102);
    if (picked.isEmpty())
        return;
    QStringList paths;
    proc.step(104, [&] { paths = pickedFilePaths(picked); });
    for (const QString& path : std::as_const(paths))
        proc.step(106, [&] { list().Append(path); });
}

void FileListCommands::PushButton9_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton9_Click"));
    QStringList picked;
    proc.step(100, [&] {
        picked = m_services.prompts.openFiles({QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"),
                                               QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), true,
                                               QString()});
    });
    proc.reach(102);
    if (picked.isEmpty())
        return;
    proc.step(104, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    QStringList paths;
    proc.step(106, [&] { paths = pickedFilePaths(picked); });
    // A failure inside one list file skips the rest of that file only.
    for (const QString& path : std::as_const(paths))
        proc.step(108, [&] { LoadListFile(list(), path, m_services.prompts); });
    proc.step(110, [&] { m_services.pointer.set(WindowPointer::Default); });
}

void FileListCommands::PushButton3_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton3_Click"));
    QString answer;
    proc.step(100, [&] {
        answer = m_services.prompts.input(QStringLiteral("Enter file extension to load:\r\r"
                                                         "(* for all files, txt for all txt files, doc for all doc "
                                                         "files, etc.)"),
                                          QString(), GetSetting(QStringLiteral("Extension"), QStringLiteral("csv")));
    });
    proc.reach(102);
    if (answer.isEmpty())
        return;
    proc.step(104, [&] { SaveSetting(QStringLiteral("Extension"), answer); });

    QString folder;
    proc.step(106, [&] {
        folder = m_services.prompts.browseFolder(QStringLiteral("Please select folder:"),
                                                 GetSetting(QStringLiteral("LastFolder"), QString()));
    });
    proc.reach(108);
    if (folder.isEmpty())
        return;
    proc.step(110, [&] { SaveSetting(QStringLiteral("LastFolder"), folder); });
    proc.step(112, [&] { m_services.pointer.set(WindowPointer::Hourglass); });

    FolderScan scan(m_services.reporter, [this] { return keepGoing(); });
    QStringList folderSet{folder + nativePathSeparator};
    proc.step(114, [&] { GetSubDirectories2016(folderSet, true, scan); });
    if (scan.stopped)
        return;
    // The answer exactly as typed: "*" gives "*.*", ".csv" gives "*..csv".
    const QString pattern = QStringLiteral("*.") + answer;
    AppendFilesOfFolderSet(list(), folderSet, pattern, proc, 116, scan);
    proc.step(118, [&] { m_services.pointer.set(WindowPointer::Default); });
}

void FileListCommands::removeEntriesCommand(const QString& procedure, const QString& prompt,
                                            void (*filter)(FileListModel&, const QString&, const KeepGoing&))
{
    GuardedProcedure proc(m_services.reporter, errorLocation(QStringLiteral("Form1"), procedure));
    QString answer;
    proc.step(100, [&] { answer = m_services.prompts.input(prompt); });
    proc.reach(102);
    if (answer.isEmpty())
        return;
    proc.step(104, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    proc.step(106, [&] { filter(list(), answer, [this] { return keepGoing(); }); });
    proc.step(108, [&] { m_services.pointer.set(WindowPointer::Arrow); });
}

void FileListCommands::PushButton17_Click()
{
    removeEntriesCommand(QStringLiteral("PushButton17_Click"), QStringLiteral("Remove entries containing: "),
                         RemoveEntriesContaining);
}

void FileListCommands::PushButton11_Click()
{
    removeEntriesCommand(QStringLiteral("PushButton11_Click"), QStringLiteral("Remove entries not containing: "),
                         RemoveEntriesNotContaining);
}

void FileListCommands::PushButton5_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton5_Click"));
    proc.reach(100);
    if (m_services.pointer.isBusy())
        return;
    proc.step(102, [&] { list().Clear(); });
}

void FileListCommands::ListView1_DblClick()
{
    if (m_services.pointer.isBusy())
        return;
    const int selected = m_controls.ListView1->SelectedIndex();
    if (list().Count() >= 1 && selected >= 1)
        list().Remove(selected);
}

void FileListCommands::ListView1_OLEDragDrop(const QStringList& paths)
{
    // A failure is shown like any other command's; the remaining entries still go in.
    GuardedProcedure proc(m_services.reporter, form1Location("ListView1_OLEDragDrop"));
    for (const QString& path : paths) {
        bool folder = false;
        proc.step(100, [&] { folder = FolderExists(path); });
        if (!folder) {
            proc.step(102, [&] { list().Append(path); });
            continue;
        }
        FolderScan scan(m_services.reporter, [this] { return keepGoing(); });
        QStringList folderSet{path + nativePathSeparator};
        proc.step(104, [&] { GetSubDirectories2016(folderSet, true, scan); });
        if (scan.stopped)
            return;
        AppendFilesOfFolderSet(list(), folderSet, QStringLiteral("*.*"), proc, 106, scan);
    }
}
