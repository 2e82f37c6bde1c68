#include "filelist/widgets/filelistcommands.h"

#include "base/errorreport.h"
#include "base/folderprobes.h"
#include "base/pathseparator.h"
#include "base/programfiles.h"
#include "base/settings.h"
#include "base/widgets/cursorfile.h"
#include "base/windowservices.h"
#include "filelist/dialogpicks.h"
#include "filelist/filelistmodel.h"
#include "filelist/listfile.h"
#include "filelist/listfilters.h"
#include "filelist/widgets/filelistview.h"

#include <QPushButton>

FileListCommands::FileListCommands(const Controls& controls, WindowServices& services, QObject* parent)
    : QObject(parent),
      m_controls(controls),
      m_services(services)
{
    FileListView* view = m_controls.ListView1;
    view->setWindowPointer(&m_services.pointer);
    view->setDragCursor(loadCursorFile(programFile(m_services.programFolder, QStringLiteral("drag.ico"))));

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
    return !m_services.isClosing();
}

// Labels of the steps below, as error reports give them.
namespace addFilesStep {
constexpr int pick = 100, paths = 104, append = 106;
}

void FileListCommands::PushButton13_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton13_Click"));
    QStringList picked;
    proc.step(addFilesStep::pick, [&] {
        picked = m_services.prompts.openFiles({QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
            QStringLiteral("CSV Files (*.csv)|*.csv|"), true, QString()});
    });
    if (picked.isEmpty())
        return;
    QStringList paths;
    proc.step(addFilesStep::paths, [&] { paths = pickedFilePaths(picked); });
    for (const QString& path : std::as_const(paths))
        proc.step(addFilesStep::append, [&] { list().Append(path); });
}

// Labels of the steps below, as error reports give them.
namespace loadListStep {
constexpr int pick = 100, hourglass = 104, paths = 106, loadListFile = 108, pointerBack = 110;
}

void FileListCommands::PushButton9_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton9_Click"));
    QStringList picked;
    proc.step(loadListStep::pick, [&] {
        picked = m_services.prompts.openFiles({QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"),
            QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), true, QString()});
    });
    if (picked.isEmpty())
        return;
    proc.step(loadListStep::hourglass, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    QStringList paths;
    proc.step(loadListStep::paths, [&] { paths = pickedFilePaths(picked); });
    // A failure inside one list file skips the rest of that file only.
    for (const QString& path : std::as_const(paths))
        proc.step(loadListStep::loadListFile, [&] { LoadListFile(list(), path, m_services.prompts); });
    proc.step(loadListStep::pointerBack, [&] { m_services.pointer.set(WindowPointer::Default); });
}

// Labels of the steps below, as error reports give them.
namespace addFolderStep {
constexpr int ask = 100, rememberExtension = 104, browse = 106, rememberFolder = 110, hourglass = 112, subFolders = 114,
              appendFiles = 116, pointerBack = 118;
}

void FileListCommands::PushButton3_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton3_Click"));
    QString answer;
    proc.step(addFolderStep::ask, [&] {
        answer = m_services.prompts.input(QStringLiteral("Enter file extension to load:\r\r"
                                                         "(* for all files, txt for all txt files, doc for all doc "
                                                         "files, etc.)"),
            QString(), GetSetting(QStringLiteral("Extension"), QStringLiteral("csv")));
    });
    if (answer.isEmpty())
        return;
    proc.step(addFolderStep::rememberExtension, [&] { SaveSetting(QStringLiteral("Extension"), answer); });

    QString folder;
    proc.step(addFolderStep::browse, [&] {
        folder = m_services.prompts.browseFolder(
            QStringLiteral("Please select folder:"), GetSetting(QStringLiteral("LastFolder"), QString()));
    });
    if (folder.isEmpty())
        return;
    proc.step(addFolderStep::rememberFolder, [&] { SaveSetting(QStringLiteral("LastFolder"), folder); });
    proc.step(addFolderStep::hourglass, [&] { m_services.pointer.set(WindowPointer::Hourglass); });

    FolderScan scan(m_services.reporter, [this] { return keepGoing(); });
    QStringList folderSet{folder + nativePathSeparator};
    proc.step(addFolderStep::subFolders, [&] { GetSubDirectories2016(folderSet, true, scan); });
    if (scan.stopped)
        return;
    // The answer exactly as typed: "*" gives "*.*", ".csv" gives "*..csv".
    const QString pattern = QStringLiteral("*.") + answer;
    AppendFilesOfFolderSet(list(), folderSet, pattern, proc, addFolderStep::appendFiles, scan);
    proc.step(addFolderStep::pointerBack, [&] { m_services.pointer.set(WindowPointer::Default); });
}

// Labels of the steps below, as error reports give them.
namespace removeEntriesStep {
constexpr int ask = 100, hourglass = 104, filter = 106, pointerBack = 108;
}

void FileListCommands::removeEntriesCommand(
    const char* procedure, const QString& prompt, void (*filter)(FileListModel&, const QString&, const KeepGoing&))
{
    GuardedProcedure proc(m_services.reporter, form1Location(procedure));
    QString answer;
    proc.step(removeEntriesStep::ask, [&] { answer = m_services.prompts.input(prompt); });
    if (answer.isEmpty())
        return;
    proc.step(removeEntriesStep::hourglass, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    proc.step(removeEntriesStep::filter, [&] { filter(list(), answer, [this] { return keepGoing(); }); });
    proc.step(removeEntriesStep::pointerBack, [&] { m_services.pointer.set(WindowPointer::Arrow); });
}

void FileListCommands::PushButton17_Click()
{
    removeEntriesCommand("PushButton17_Click", QStringLiteral("Remove entries containing: "), RemoveEntriesContaining);
}

void FileListCommands::PushButton11_Click()
{
    removeEntriesCommand(
        "PushButton11_Click", QStringLiteral("Remove entries not containing: "), RemoveEntriesNotContaining);
}

// Labels of the steps below, as error reports give them.
namespace clearListStep {
constexpr int clear = 102;
}

void FileListCommands::PushButton5_Click()
{
    GuardedProcedure proc(m_services.reporter, form1Location("PushButton5_Click"));
    if (m_services.pointer.isBusy())
        return;
    proc.step(clearListStep::clear, [&] { list().Clear(); });
}

void FileListCommands::ListView1_DblClick()
{
    if (m_services.pointer.isBusy())
        return;
    const int selected = m_controls.ListView1->SelectedIndex();
    if (list().Count() >= 1 && selected >= 1)
        list().Remove(selected);
}

bool FileListCommands::appendPaths(
    GuardedProcedure& proc, const QStringList& paths, const QString& folderPattern, const AppendLabels& labels)
{
    for (const QString& path : paths) {
        bool folder = false;
        proc.step(labels.isFolder, [&] { folder = FolderExists(path); });
        if (!folder) {
            proc.step(labels.appendFile, [&] { list().Append(path); });
            continue;
        }
        FolderScan scan(m_services.reporter, [this] { return keepGoing(); });
        QStringList folderSet{path + nativePathSeparator};
        proc.step(labels.subFolders, [&] { GetSubDirectories2016(folderSet, true, scan); });
        if (scan.stopped)
            return false;
        AppendFilesOfFolderSet(list(), folderSet, folderPattern, proc, labels.appendFiles, scan);
    }
    return true;
}

// Labels of the steps below, as error reports give them.
namespace dropStep {
constexpr int isFolder = 100, appendFile = 102, subFolders = 104, appendFiles = 106;
}

void FileListCommands::ListView1_OLEDragDrop(const QStringList& paths)
{
    // A failure is shown like any other command's; the remaining entries still go in.
    GuardedProcedure proc(m_services.reporter, form1Location("ListView1_OLEDragDrop"));
    appendPaths(proc, paths, QStringLiteral("*.*"),
        {dropStep::isFolder, dropStep::appendFile, dropStep::subFolders, dropStep::appendFiles});
}

// Labels of the steps below, as error reports give them.
namespace startFilesStep {
constexpr int readExtension = 100, hourglass = 102, isFolder = 104, appendFile = 106, subFolders = 108,
              appendFiles = 110, pointerBack = 112;
}

void FileListCommands::AddStartFiles(const QStringList& paths)
{
    GuardedProcedure proc(m_services.reporter, form1Location("AddStartFiles"));
    QString extension = QStringLiteral("csv");
    proc.step(startFilesStep::readExtension,
        [&] { extension = GetSetting(QStringLiteral("Extension"), QStringLiteral("csv")); });
    proc.step(startFilesStep::hourglass, [&] { m_services.pointer.set(WindowPointer::Hourglass); });
    const bool finished = appendPaths(proc, paths, QStringLiteral("*.") + extension,
        {startFilesStep::isFolder, startFilesStep::appendFile, startFilesStep::subFolders,
            startFilesStep::appendFiles});
    if (finished)
        proc.step(startFilesStep::pointerBack, [&] { m_services.pointer.set(WindowPointer::Default); });
}
