// Form2, the "Load Sets" dialog: picks a set file and a separator and appends
// the file's sets to the sets list.
#pragma once

#include "base/windowpointer.h"
#include "base/windowservices.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class LoadSetsDialog : public QDialog {
    Q_OBJECT

public:
    using AppendSet = std::function<void(const QString& find, const QString& replace)>;

    LoadSetsDialog(WindowServices& services, AppendSet appendSet, QWidget* parent = nullptr);

    void Form_Load();
    void PushButton1_Click(); // Load
    void PushButton2_Click(); // Cancel
    void PushButton3_Click(); // ?
    void PushButton16_Click(); // ...
    void Text2_Change(); // the separator box

    WindowPointer& pointer() { return m_pointer; }

    QLabel* Label1_0 = nullptr;
    QLabel* Label1_1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* PushButton16 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;

    static QString helpText();

private:
    GuardedProcedure guarded(const char* procedure);

    WindowServices& m_services;
    AppendSet m_appendSet;
    WindowPointer m_pointer;
};
