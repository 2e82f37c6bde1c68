// "Load Sample/Example Files" and the recording of the samples at the first
// start. The main window builds it over its own controls.
#pragma once

#include "base/windowservices.h"
#include "window/samplefiles.h"

#include <QObject>

class FileListModel;
class QPlainTextEdit;
class QPushButton;
class TabControl;

class SampleFilesCommands : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QPushButton* PushButton8; // "Load Sample/Example Files"
        FileListModel* fileList; // ListView1's rows
        QPlainTextEdit* Text1;
        QPlainTextEdit* Text2;
        TabControl* TabControl1;
    };

    // listFiles: how the "Samples" folder is listed when the samples are recorded.
    SampleFilesCommands(const Controls& controls, WindowServices& services, FolderListing listFiles, QObject* parent);

    void PushButton8_Click();
    // Stores the paths of the samples found now, for later loading, when the
    // recording is missing or names another folder than this program's.
    void recordSampleFilesWhenNeeded();

private:
    Controls m_controls;
    WindowServices& m_services;
    FolderListing m_listFiles;
};
