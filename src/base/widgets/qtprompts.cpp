#include "base/widgets/qtprompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QTextEdit>
#include <QUrl>

QStringList QtPrompts::qtFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every name here, with or without a dot.
        patterns.replace(QLatin1String("*.*"), QLatin1String("*"));
        filters.append(parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

QWidget* QtPrompts::boxOwner() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_owner;
}

void QtPrompts::prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setWindowTitle(request.title);
    if (!request.startFolder.isEmpty())
        dialog.setDirectory(request.startFolder);
    // The descriptions already name their patterns: without this the list
    // would read "Text Files (*.txt) (*.txt)".
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(qtFilters(request.filter));
}

QString QtPrompts::displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

Answer QtPrompts::showMessage(const QString& text, int style, const QString& title)
{
    return showMessageWithDetails(text, {}, style, title);
}

Answer QtPrompts::showMessageWithDetails(const QString& text, const QString& details, int style,
                                         const QString& title)
{
    QMessageBox box(boxOwner());
    if (!details.isEmpty()) {
        box.setDetailedText(displayText(details));
        // A box as wide as its one-word text would wrap every line of a run's report.
        if (auto* area = box.findChild<QTextEdit*>()) {
            area->setMinimumWidth(640);
            area->setLineWrapMode(QTextEdit::NoWrap);
        }
    }
    box.setWindowTitle(title);
    box.setText(displayText(text));
    box.setTextFormat(Qt::PlainText);
    switch (style & 0x70) {
    case StyleStop: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case StyleExclamation: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    if ((style & 0x7) == StyleYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

QString QtPrompts::showInput(const QString& prompt, const QString& title, const QString& preset)
{
    bool ok = false;
    const QString text = QInputDialog::getText(boxOwner(), title, displayText(prompt), QLineEdit::Normal, preset, &ok);
    return ok ? text : QString();
}

QStringList QtPrompts::showOpenFiles(const FileDialogRequest& request)
{
    QFileDialog dialog(boxOwner());
    prepareFileDialog(dialog, request);
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList picked = dialog.selectedFiles();
    for (QString& path : picked)
        path = QDir::toNativeSeparators(path);
    return picked;
}

QString QtPrompts::showSaveFile(const FileDialogRequest& request)
{
    QFileDialog dialog(boxOwner());
    prepareFileDialog(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The program asks about overwriting itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().value(0));
}

QString QtPrompts::showBrowseFolder(const QString& title, const QString& startFolder)
{
    const QString folder = QFileDialog::getExistingDirectory(boxOwner(), title, startFolder, QFileDialog::ShowDirsOnly);
    return QDir::toNativeSeparators(folder);
}

void QtPrompts::showWithDesktop(const QString& pathOrUrl)
{
    const QUrl url = pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    QDesktopServices::openUrl(url);
}
