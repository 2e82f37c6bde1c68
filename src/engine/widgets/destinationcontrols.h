// The behaviour of the "Save Option" frame: the two option buttons, the
// output-folder box Text3 and its "..." button. The main window builds it over
// its own controls; the batch run reads the destination through it.
#pragma once

#include <QObject>
#include <QString>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct WindowServices;

class DestinationControls : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QRadioButton* Option1; // "Save results to this folder:"
        QRadioButton* Option2; // "Save results in folder of original file"
        QGroupBox* Frame4;
        QLineEdit* Text3;
        QPushButton* PushButton14; // "..."
    };

    DestinationControls(const Controls& controls, WindowServices& services, QObject* parent);

    bool option1() const;
    bool option2() const;
    QString outputFolder() const;

    void Option1_Click();
    void Option2_Click();
    void Text3_Change();
    void PushButton14_Click();

private:
    void optionClick(const char* procedure);

    Controls m_controls;
    WindowServices& m_services;
};
