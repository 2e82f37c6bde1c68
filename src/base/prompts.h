// Every message box, question, input box, file dialog, folder browser and
// "open with the desktop" goes through this interface, so that tests can answer
// them from a script. Qt Core only: the engine reports through it too.
#pragma once

#include <QString>
#include <QStringList>

// Message-box styles as the program uses them; they add up (16 + 4).
enum MessageStyle : int {
    StyleOkOnly = 0,
    StyleYesNo = 4,
    StyleStop = 16,
    StyleQuestion = 32,
    StyleExclamation = 48,
};

enum class Answer { Ok, Yes, No };

struct FileDialogRequest {
    QString title;
    // Description/pattern pairs separated by "|", e.g. "Text Files (*.txt)|*.txt|".
    QString filter;
    bool multiSelect = false;
    QString startFolder;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // The caption of every box that names no title of its own.
    void setApplicationTitle(const QString& title) { m_applicationTitle = title; }
    const QString& applicationTitle() const { return m_applicationTitle; }

    Answer message(const QString& text, int style = StyleOkOnly, const QString& title = {});
    // The same box with a longer text that the user may unfold under it.
    Answer message(const QString& text, const QString& details, int style = StyleOkOnly, const QString& title = {});
    // The box of a run's end: its details are a report that a screen reader
    // announces by reportName.
    Answer report(const QString& text, const QString& details, const QString& reportName);
    // The typed text, or "" when the user cancels.
    QString input(const QString& prompt, const QString& title = {}, const QString& preset = {});
    // Full paths of the picked files; empty when cancelled.
    QStringList openFiles(const FileDialogRequest& request);
    // The chosen path, or "" when cancelled.
    QString saveFile(const FileDialogRequest& request);
    // The chosen folder, or "" when cancelled.
    QString browseFolder(const QString& title, const QString& startFolder);
    // Opens a folder path or a URL with the desktop's default handler; never
    // waits. False when no program could be started to open it.
    bool openWithDesktop(const QString& pathOrUrl);
    // The same for what the user asked to see: a failure is told in one message.
    void openForUser(const QString& pathOrUrl);

protected:
    virtual Answer showMessage(const QString& text, int style, const QString& title) = 0;
    // Prompts that cannot unfold details show the box without them.
    virtual Answer showMessageWithDetails(const QString& text, const QString& details, int style, const QString& title)
    {
        (void)details;
        return showMessage(text, style, title);
    }
    // Prompts that name no details show the box as any other with details.
    virtual Answer showReport(
        const QString& text, const QString& details, const QString& reportName, const QString& title)
    {
        (void)reportName;
        return showMessageWithDetails(text, details, StyleOkOnly, title);
    }
    virtual QString showInput(const QString& prompt, const QString& title, const QString& preset) = 0;
    virtual QStringList showOpenFiles(const FileDialogRequest& request) = 0;
    virtual QString showSaveFile(const FileDialogRequest& request) = 0;
    virtual QString showBrowseFolder(const QString& title, const QString& startFolder) = 0;
    virtual bool showWithDesktop(const QString& pathOrUrl) = 0;

private:
    QString titleOrDefault(const QString& title) const;

    QString m_applicationTitle;
};
