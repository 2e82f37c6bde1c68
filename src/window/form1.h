// Form1, the main window: builds and places every control, runs the load
// sequence, remembers the tab, gives the pointer feedback, and attaches each
// subsystem: a commands object built from its controls and the window
// services, which connects its own buttons.
#pragma once

#include "base/errorreport.h"
#include "base/windowpointer.h"
#include "base/windowservices.h"

#include <QCursor>
#include <QWidget>

#include <functional>
#include <optional>

class FileListCommands;
class FileListView;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class TabControl;
class PointerFeedback;
class SetsPage;
class DestinationControls;
class BatchRunControls;
class SampleFilesCommands;

struct Form1Environment {
    // With a trailing separator; the executable's folder in the program.
    QString programFolder;
    // The 1-in-100 draw of the home-page call: an integer from 1 to 100.
    std::function<int()> drawOneToHundred;
};

class Form1 : public QWidget {
    Q_OBJECT

public:
    Form1(Prompts& prompts, Form1Environment environment, QWidget* parent = nullptr);
    ~Form1() override;

    void Form_Load();
    // Adds the files and folders named on the command line; after Form_Load.
    void AddStartFiles(const QStringList& paths);

    WindowServices& services() { return m_services; }
    WindowPointer& pointer() { return m_pointer; }
    bool isClosing() const { return m_closing; }
    const std::optional<QCursor>& handCursor() const { return m_handCursor; }
    // The sets list behind Combo1/Combo2, for the commands that add or read sets.
    SetsPage& setsPage() { return *m_setsPage; }
    // "Start Replacing" with its menu, progress, stop and undo.
    BatchRunControls& batchRunControls() { return *m_batchRun; }

    // The controls, by their names.
    TabControl* TabControl1 = nullptr;
    QLabel* Label1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* Text2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* Combo2 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    FileListView* ListView1 = nullptr;
    QPushButton* PushButton13 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton17 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QPushButton* PushButton12 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLineEdit* Text3 = nullptr;
    QPushButton* PushButton14 = nullptr;

    void TabControl1_Click();

signals:
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void placeControls();
    void connectShell();
    void attachSubsystems();
    void applySkin();
    void showPointer(int value);

    Prompts& m_prompts;
    Form1Environment m_environment;
    WindowPointer m_pointer;
    ErrorReporter m_reporter;
    WindowServices m_services;
    PointerFeedback* m_feedback = nullptr;
    FileListCommands* m_fileList = nullptr;
    SetsPage* m_setsPage = nullptr;
    DestinationControls* m_destination = nullptr;
    BatchRunControls* m_batchRun = nullptr;
    SampleFilesCommands* m_samples = nullptr;
    std::optional<QCursor> m_handCursor;
    bool m_closing = false;
};
