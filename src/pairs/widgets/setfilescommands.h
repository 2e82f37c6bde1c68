// The main window's "Load Sets" and "Save Sets" buttons. The main window
// builds it over its own controls.
#pragma once

#include "base/windowservices.h"
#include "pairs/widgets/loadsetsdialog.h"
#include "pairs/widgets/setslist.h"

#include <QObject>

#include <functional>

class QPushButton;
class QWidget;

class SetFilesCommands : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QPushButton* PushButton1; // "Load Sets"
        QPushButton* PushButton2; // "Save Sets"
        SetsList sets; // Combo1 and Combo2
    };

    // window: the parent of the Load Sets dialog.
    SetFilesCommands(const Controls& controls, WindowServices& services, QWidget* window);

    void PushButton1_Click(); // Load Sets
    void PushButton2_Click(); // Save Sets

    // Shows the dialog modally; tests replace it to act on the open dialog.
    std::function<void(LoadSetsDialog&)> runDialog = [](LoadSetsDialog& dialog) { dialog.exec(); };

private:
    Controls m_controls;
    WindowServices& m_services;
    QWidget* m_window;
};
