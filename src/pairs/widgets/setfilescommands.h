// The main window's "Load Sets" and "Save Sets" buttons.
#pragma once

#include "pairs/widgets/loadsetsdialog.h"
#include "base/windowservices.h"

#include <QObject>
#include <functional>

class QComboBox;
class QWidget;

class SetFilesCommands : public QObject {
    Q_OBJECT

public:
    SetFilesCommands(WindowServices& services, QComboBox* findList, QComboBox* replaceList,
                     LoadSetsDialog::AppendSet appendSet, QWidget* window);

    void PushButton1_Click();  // Load Sets
    void PushButton2_Click();  // Save Sets

    // Shows the dialog modally; tests replace it to act on the open dialog.
    std::function<void(LoadSetsDialog&)> runDialog = [](LoadSetsDialog& dialog) { dialog.exec(); };

private:
    WindowServices& m_services;
    QComboBox* m_findList;
    QComboBox* m_replaceList;
    LoadSetsDialog::AppendSet m_appendSet;
    QWidget* m_window;
};
