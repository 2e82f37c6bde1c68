// The "Start Replacing" button over the batch run: reads the main window's
// controls for the run and starts it on a click. The main window builds it over
// its own controls.
#pragma once

#include "engine/batchrun/batchrun.h"
#include "pairs/widgets/setslist.h"

#include <QObject>
#include <functional>

class DestinationControls;
class FileListModel;
class QPlainTextEdit;
class QPushButton;

class BatchRunControls : public QObject, private BatchRunWindow {
    Q_OBJECT

public:
    struct Controls {
        QPushButton* PushButton12;  // "Start Replacing"
        FileListModel* fileList;    // ListView1's rows
        std::function<int()> selectedTab;
        QPlainTextEdit* Text1;
        QPlainTextEdit* Text2;
        SetsList sets;              // Combo1 and Combo2
        const DestinationControls* destination;
    };

    BatchRunControls(Controls controls, WindowServices& services, QObject* parent,
                     ReplaceEntries entries = {});

    void PushButton12_Click() { m_run.PushButton12_Click(); }
    bool isRunning() const { return m_run.isRunning(); }

private:
    int rowCount() const override;
    QString rowText(int row) const override;
    int selectedTab() const override;
    QString findWhat() const override;
    QString replaceWith() const override;
    QStringList findList() const override;
    QStringList replaceList() const override;
    Destination destination() const override;

    Controls m_controls;
    BatchRun m_run;
};
