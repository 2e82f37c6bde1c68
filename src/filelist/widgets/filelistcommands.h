// The commands of the file list: the buttons under ListView1, dropping files
// and folders onto it, the files named on the command line and double-click
// removal. Each handler is a guarded
// procedure over the plain functions of this folder. The main window builds it
// over its own controls.
#pragma once

#include "filelist/folderscan.h"

#include <QObject>
#include <QStringList>

class FileListModel;
class FileListView;
class QPushButton;
struct WindowServices;

class FileListCommands : public QObject {
    Q_OBJECT

public:
    struct Controls {
        FileListView* ListView1;
        QPushButton* PushButton13; // "Add CSV File(s)"
        QPushButton* PushButton3; // "Add All CSV File(s) In Folder"
        QPushButton* PushButton9; // "Load List Of Files From File"
        QPushButton* PushButton5; // "Clear List"
        QPushButton* PushButton17; // "Remove Filenames Contain. X"
        QPushButton* PushButton11; // "Remove Filenames Not Cont. X"
    };

    // Long commands stop at their next yield once the window is closing.
    FileListCommands(const Controls& controls, WindowServices& services, QObject* parent);

    void PushButton13_Click();
    void PushButton9_Click();
    void PushButton3_Click();
    void PushButton17_Click();
    void PushButton11_Click();
    void PushButton5_Click();
    void ListView1_DblClick();
    void ListView1_OLEDragDrop(const QStringList& paths);
    // The files and folders named on the command line, added once the window
    // shows: a file as given, like a drop; a folder as the folder scan does,
    // with the extension it last used.
    void AddStartFiles(const QStringList& paths);

private:
    FileListModel& list();
    bool keepGoing();
    struct AppendLabels {
        int isFolder, appendFile, subFolders, appendFiles;
    };
    // Appends each path, or a folder's files that match folderPattern at any
    // depth. False when the window closed during a scan.
    bool appendPaths(
        GuardedProcedure& proc, const QStringList& paths, const QString& folderPattern, const AppendLabels& labels);
    // The two text filters differ only in prompt, location and filter.
    void removeEntriesCommand(
        const char* procedure, const QString& prompt, void (*filter)(FileListModel&, const QString&, const KeepGoing&));

    Controls m_controls;
    WindowServices& m_services;
};
