// The "Start Replacing" button over the batch run: reads the main window's
// controls for the run and starts it on a click; its context menu offers
// "Review Changes..." (also Ctrl+R), "Count Matches Only" and "Undo Last Run". During a run the window's caption
// shows the progress and Escape offers to stop; Ctrl+Z undoes the last run.
// The main window builds it over its own controls.
#pragma once

#include "engine/batchrun/batchrun.h"
#include "engine/widgets/batchrunboxes.h"
#include "pairs/widgets/setslist.h"

#include <QObject>

#include <functional>

class DestinationControls;
class FileListModel;
class QPlainTextEdit;
class QAction;
class QPushButton;
class QShortcut;
class QWidget;

class BatchRunControls : public QObject, private BatchRunWindow {
    Q_OBJECT

public:
    struct Controls {
        QPushButton* PushButton12; // "Start Replacing"
        FileListModel* fileList; // ListView1's rows
        std::function<int()> selectedTab;
        QPlainTextEdit* Text1;
        QPlainTextEdit* Text2;
        SetsList sets; // Combo1 and Combo2
        const DestinationControls* destination;
        QWidget* window; // its caption, Escape and Ctrl+Z
    };

    BatchRunControls(Controls controls, WindowServices& services, QObject* parent, ReplaceEntries entries = {},
        BatchRunOptions options = BatchRun::defaultOptions());

    void PushButton12_Click() { m_run.PushButton12_Click(); }
    bool isRunning() const { return m_run.isRunning(); }
    BatchRun& batchRun() { return m_run; }
    // The context menu's commands.
    QAction* reviewAction() const { return m_review; }
    QAction* countAction() const { return m_count; }
    QAction* undoAction() const { return m_undo; }

private:
    int rowCount() const override;
    QString rowText(int row) const override;
    int selectedTab() const override;
    QString findWhat() const override;
    QString replaceWith() const override;
    QStringList findList() const override;
    QStringList replaceList() const override;
    Destination destination() const override;
    QString caption() const override;
    void setCaption(const QString& caption) override;

    void showMenu(const QPoint& at);
    // Reviews the list, shows the review and runs over the files checked there.
    void reviewChanges();
    // "find → replace" per pair of the open tab, as the review counts them.
    QStringList pairLabels() const;

    Controls m_controls;
    WindowServices& m_services;
    PromptedBatchRunBoxes m_boxes;
    BatchRun m_run;
    QAction* m_review = nullptr;
    QAction* m_count = nullptr;
    QAction* m_undo = nullptr;
    QShortcut* m_escape = nullptr;
};
