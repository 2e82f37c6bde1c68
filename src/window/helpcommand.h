// The main window's "Help" button. The main window builds it over its own
// controls.
#pragma once

#include "base/windowservices.h"

#include <QObject>

class QPushButton;

class HelpCommand : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QPushButton* PushButton10; // "Help"
    };

    HelpCommand(const Controls& controls, WindowServices& services, QObject* parent);

    void PushButton10_Click();

private:
    WindowServices& m_services;
};
