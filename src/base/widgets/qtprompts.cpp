#include "base/widgets/qtprompts.h"

#include "base/widgets/resizablemessagebox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QTextEdit>
#include <QUrl>

#include <algorithm>

namespace {
// The picking of several files with the typed name of a missing file let
// through, which Qt's own multi-file mode refuses; entering a folder and
// everything else stay the dialog's.
class OpenFilesDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        const bool anyMissing
            = std::any_of(files.cbegin(), files.cend(), [](const QString& path) { return !QFileInfo::exists(path); });
        if (fileMode() == ExistingFiles && anyMissing) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};
} // namespace

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

QString QtPrompts::startFolderOrHome(const QString& startFolder)
{
    // Not the working folder, which Qt takes otherwise: started from the
    // desktop's menu or file manager, it is nothing the user chose.
    return startFolder.isEmpty() ? QDir::homePath() : startFolder;
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
    dialog.setDirectory(startFolderOrHome(request.startFolder));
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

namespace {
const QRegularExpression& webAddress()
{
    // A full stop or comma after an address ends the sentence, not the address.
    static const QRegularExpression address(QStringLiteral(R"(https?://[^\s"<>]*[^\s"<>.,;:!?)])"));
    return address;
}

// One line of plain text as rich text with every web address as a link.
QString lineWithLinks(const QString& line)
{
    QString html;
    qsizetype done = 0;
    QRegularExpressionMatchIterator it = webAddress().globalMatch(line);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        html += line.mid(done, match.capturedStart() - done).toHtmlEscaped();
        const QString address = match.captured().toHtmlEscaped();
        html += QStringLiteral("<a href=\"%1\">%1</a>").arg(address);
        done = match.capturedEnd();
    }
    return html + line.mid(done).toHtmlEscaped();
}

// The plain text as rich text, one paragraph a line, that reads back as the
// same text. A line holding an address is not wrapped: an address broken at a
// "/" reads as two.
QString textWithLinks(const QString& plain)
{
    QString html;
    for (const QString& line : plain.split(QLatin1Char('\n'))) {
        if (line.isEmpty()) {
            html += QStringLiteral("<p style=\"margin:0; -qt-paragraph-type:empty\"></p>");
            continue;
        }
        const bool holdsAddress = line.contains(webAddress());
        html += QStringLiteral("<p style=\"margin:0; white-space:%1\">%2</p>")
                    .arg(holdsAddress ? QStringLiteral("pre") : QStringLiteral("pre-wrap"), lineWithLinks(line));
    }
    return html;
}

// Title bars often show their caption in bold; measure it so, to be safe.
QFontMetrics titleFontMetrics(const QWidget& widget)
{
    QFont font = widget.font();
    font.setBold(true);
    return QFontMetrics(font);
}

// Room the title bar needs beside the title for its icon and buttons.
constexpr int titleBarButtonsWidth = 160;
} // namespace

void QtPrompts::prepareMessageBox(QMessageBox& box, const QString& text, int style, const QString& title)
{
    box.setWindowTitle(title);
    const QString shown = displayText(text);
    if (shown.contains(webAddress())) {
        box.setTextFormat(Qt::RichText);
        box.setText(textWithLinks(shown));
        // Links open like every other "open this": through the prompts.
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            label->setOpenExternalLinks(false);
            label->setTextInteractionFlags(Qt::TextBrowserInteraction);
            QObject::connect(label, &QLabel::linkActivated, &box, [this](const QString& link) { openForUser(link); });
        }
    } else {
        box.setTextFormat(Qt::PlainText);
        box.setText(shown);
    }
    switch (style & 0x70) {
    case StyleStop: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case StyleExclamation: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    box.setStandardButtons((style & 0x7) == StyleYesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    // A box as narrow as a short text would show its title as "...". Last, as
    // setting the icon lays the box out anew.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int wanted = titleFontMetrics(box).horizontalAdvance(title) + titleBarButtonsWidth;
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
            grid->columnCount());
    }
}

Answer QtPrompts::showMessage(const QString& text, int style, const QString& title)
{
    return showMessageWithDetails(text, {}, style, title);
}

Answer QtPrompts::showMessageWithDetails(const QString& text, const QString& details, int style, const QString& title)
{
    return showBox(text, details, style, title, QStringLiteral("Details"));
}

Answer QtPrompts::showReport(
    const QString& text, const QString& details, const QString& reportName, const QString& title)
{
    return showBox(text, details, StyleOkOnly, title, reportName);
}

Answer QtPrompts::showBox(
    const QString& text, const QString& details, int style, const QString& title, const QString& detailsName)
{
    ResizableMessageBox box(boxOwner());
    if (!details.isEmpty()) {
        box.setDetailedText(displayText(details));
        // A box as wide as its one-word text would wrap every line of a run's report.
        if (auto* area = box.findChild<QTextEdit*>()) {
            area->setMinimumWidth(640);
            area->setLineWrapMode(QTextEdit::NoWrap);
            // A screen reader names it, and the keyboard walks its lines and
            // leaves it with Tab, as it does every other control.
            area->setAccessibleName(detailsName);
            area->setAccessibleDescription(displayText(text));
            area->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
            area->setTabChangesFocus(true);
        }
    }
    prepareMessageBox(box, text, style, title);
    if ((style & 0x7) == StyleYesNo)
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
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
    OpenFilesDialog dialog(boxOwner());
    // Qt's own dialog: the platforms' open dialogs refuse a typed name of a
    // missing file whenever several files may be picked, and some always do.
    dialog.setOptions(dialog.options() | m_fileDialogOptions | QFileDialog::DontUseNativeDialog);
    prepareFileDialog(dialog, request);
    // The typed name of a file that does not exist is taken: the commands
    // behind the dialog decide what a missing file means. ExistingFiles is
    // Qt's only mode with several picks, and OpenFilesDialog lets a missing
    // name through it; AnyFile takes one name, missing or not.
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
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
    dialog.setOptions(dialog.options() | m_fileDialogOptions);
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
    const QString folder = QFileDialog::getExistingDirectory(
        boxOwner(), title, startFolderOrHome(startFolder), QFileDialog::ShowDirsOnly | m_fileDialogOptions);
    return QDir::toNativeSeparators(folder);
}

bool QtPrompts::showWithDesktop(const QString& pathOrUrl)
{
    const QUrl url = pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    // False when no launcher could be started (no xdg-open or the like); what
    // the launcher makes of the address later is not waited for.
    return QDesktopServices::openUrl(url);
}
