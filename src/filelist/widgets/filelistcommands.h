// The commands of the file list: the buttons under ListView1, dropping files
// and folders onto it and double-click removal. Each handler is a guarded
// procedure over the plain functions of this folder. Form1 creates one and
// hands it the controls.
#pragma once

#include "filelist/folderscan.h"

#include <QObject>
#include <QStringList>
#include <functional>

class FileListModel;
class FileListView;
class QPushButton;
struct WindowServices;

struct FileListControls {
    FileListView* ListView1 = nullptr;
    QPushButton* PushButton13 = nullptr; // "Add CSV File(s)"
    QPushButton* PushButton3 = nullptr;  // "Add All CSV File(s) In Folder"
    QPushButton* PushButton9 = nullptr;  // "Load List Of Files From File"
    QPushButton* PushButton5 = nullptr;  // "Clear List"
    QPushButton* PushButton17 = nullptr; // "Remove Filenames Contain. X"
    QPushButton* PushButton11 = nullptr; // "Remove Filenames Not Cont. X"
};

class FileListCommands : public QObject {
    Q_OBJECT

public:
    // windowClosing: true once the window is closing; long commands then stop
    // at their next yield.
    FileListCommands(const FileListControls& controls, WindowServices& services,
                     std::function<bool()> windowClosing, QObject* parent);

    void PushButton13_Click();
    void PushButton9_Click();
    void PushButton3_Click();
    void PushButton17_Click();
    void PushButton11_Click();
    void PushButton5_Click();
    void ListView1_DblClick();
    void ListView1_OLEDragDrop(const QStringList& paths);

private:
    FileListModel& list();
    bool keepGoing();
    // The two text filters differ only in prompt, location and filter.
    void removeEntriesCommand(const QString& procedure, const QString& prompt,
                              void (*filter)(FileListModel&, const QString&, const KeepGoing&));

    FileListControls m_controls;
    WindowServices& m_services;
    std::function<bool()> m_windowClosing;
};
