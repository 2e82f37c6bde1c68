// The real prompts: Qt message boxes, input boxes, file dialogs, the folder
// chooser and the desktop's default handler.
#pragma once

#include "base/prompts.h"

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

class QMessageBox;

class QtPrompts : public Prompts {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }
    // The window boxes and dialogs open over: an open modal dialog (Load Sets)
    // before the main window, so that they never hide behind it.
    QWidget* boxOwner() const;
    // Added to the options of every file dialog (tests ask for Qt's own
    // dialog instead of the platform's).
    void setFileDialogOptions(QFileDialog::Options options) { m_fileDialogOptions = options; }

    // "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" as Qt's "name (patterns)" filters.
    static QStringList qtFilters(const QString& filter);
    // Where a file dialog or folder browser opens: the start folder asked
    // for, or the home folder when none is.
    static QString startFolderOrHome(const QString& startFolder);
    // Title, start folder and filters; the filter list shows each description
    // as the program wrote it.
    static void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request);
    // Boxes break lines at CR LF or a lone CR, as the program's texts do.
    static QString displayText(const QString& text);
    // Text, icon, buttons and title of a message box; an address in the text
    // becomes a link that opens through openForUser, and the box is wide
    // enough to show its whole title.
    void prepareMessageBox(QMessageBox& box, const QString& text, int style, const QString& title);

protected:
    Answer showMessage(const QString& text, int style, const QString& title) override;
    Answer showMessageWithDetails(
        const QString& text, const QString& details, int style, const QString& title) override;
    Answer showReport(
        const QString& text, const QString& details, const QString& reportName, const QString& title) override;
    QString showInput(const QString& prompt, const QString& title, const QString& preset) override;
    QStringList showOpenFiles(const FileDialogRequest& request) override;
    QString showSaveFile(const FileDialogRequest& request) override;
    QString showBrowseFolder(const QString& title, const QString& startFolder) override;
    bool showWithDesktop(const QString& pathOrUrl) override;

private:
    // A box with details named detailsName for screen readers.
    Answer showBox(
        const QString& text, const QString& details, int style, const QString& title, const QString& detailsName);

    QPointer<QWidget> m_owner;
    QFileDialog::Options m_fileDialogOptions;
};
