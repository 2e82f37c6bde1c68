// The behaviour of the "Multiple find and replace (sets)" page: "Add Set",
// "Remove Selected Set", "Clear All Sets" and the selection mirroring of
// Combo1 and Combo2. The main window builds it over its own controls.
#pragma once

#include "pairs/widgets/setslist.h"

#include <QObject>

class QPushButton;
struct WindowServices;

class SetsPage : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QComboBox* Combo1;
        QComboBox* Combo2;
        QPushButton* PushButton7; // "Add Set"
        QPushButton* PushButton6; // "Remove Selected Set"
        QPushButton* PushButton4; // "Clear All Sets"
    };

    SetsPage(const Controls& controls, WindowServices& services, QObject* parent);

    SetsList& sets() { return m_sets; }

    void PushButton7_Click();
    void PushButton6_Click();
    void PushButton4_Click();
    void Combo1_Click();
    void Combo2_Click();

private:
    Controls m_controls;
    WindowServices& m_services;
    SetsList m_sets;
};
