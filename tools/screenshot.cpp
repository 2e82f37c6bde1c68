// Renders the main window after a run over the sample files, with the box the
// run ends with drawn over it, into a PNG for the README.
// Usage: tallowmere_screenshot OUTPUT.png DOCUMENTS-FOLDER
// The sample files are copied into DOCUMENTS-FOLDER first, so the rows show a
// user's paths rather than the build folder.
#include "base/settings.h"
#include "base/widgets/qtprompts.h"
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextEdit>

namespace {
void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// Answers every box at once and keeps a picture of the last one.
class PicturePrompts : public QtPrompts {
public:
    QPixmap lastBox;
    QString lastTitle;

protected:
    Answer showMessageWithDetails(const QString& text, const QString& details, int style, const QString& title) override
    {
        QMessageBox box(boxOwner());
        if (!details.isEmpty()) {
            box.setDetailedText(displayText(details));
            if (auto* area = box.findChild<QTextEdit*>())
                area->setMinimumWidth(640);
        }
        prepareMessageBox(box, text, style, title);
        box.show();
        // The run's report, opened as a user would to see it.
        for (QAbstractButton* button : box.buttons()) {
            if (box.buttonRole(button) == QMessageBox::ActionRole)
                button->click();
        }
        settle(200);
        lastBox = box.grab();
        lastTitle = box.windowTitle();
        return Answer::Ok;
    }
};
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString documents = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    // A fresh settings store, so the picture shows a first start.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    const QString samples = QCoreApplication::applicationDirPath() + QStringLiteral("/Samples");
    QDir().mkpath(documents + QStringLiteral("/Results"));
    PicturePrompts prompts;
    Form1 form(prompts, {QCoreApplication::applicationDirPath() + QDir::separator(), [] { return 1; }});
    prompts.setOwner(&form);
    SaveSetting(QStringLiteral("Output Folder"), QDir::toNativeSeparators(documents + QStringLiteral("/Results/")));
    form.Form_Load();
    for (const QString& name : QDir(samples).entryList(QDir::Files, QDir::Name)) {
        const QString copy = documents + QLatin1Char('/') + name;
        QFile::remove(copy);
        QFile::copy(samples + QLatin1Char('/') + name, copy);
        form.ListView1->fileList()->Append(QDir::toNativeSeparators(copy));
    }
    form.Text1->setPlainText(QStringLiteral("Shelf A\nGarden rake\nanalyst"));
    form.Text2->setPlainText(QStringLiteral("Aisle 1\nLeaf rake\ndata analyst"));
    form.show();
    settle(300);
    form.PushButton12->click();
    settle(300);

    const QPixmap window = form.grab();
    QPixmap picture = window;
    if (!prompts.lastBox.isNull()) {
        // Room for a box with its report open, which may be larger than the window.
        const QSize boxSize = prompts.lastBox.size() + QSize(32, 24 + 32);
        picture = QPixmap(window.size().expandedTo(boxSize));
        picture.fill(QColor(40, 44, 52));
        QPainter(&picture).drawPixmap(0, 0, window);
        // The box with a plain title bar: without a window manager there is none to grab.
        QPainter painter(&picture);
        const int barHeight = 24;
        const QRect box(QPoint((picture.width() - prompts.lastBox.width()) / 2,
                            (picture.height() - prompts.lastBox.height() + barHeight) / 2),
            prompts.lastBox.size());
        const QRect bar(box.left(), box.top() - barHeight, box.width(), barHeight);
        painter.fillRect(bar, QColor(60, 70, 80));
        painter.setPen(Qt::white);
        QFont titleFont = form.font();
        titleFont.setBold(true);
        painter.setFont(titleFont);
        painter.drawText(bar.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, prompts.lastTitle);
        painter.drawPixmap(box.topLeft(), prompts.lastBox);
        painter.setPen(QColor(60, 70, 80));
        painter.drawRect(bar.united(box).adjusted(-1, -1, 0, 0));
    }
    return picture.save(output) ? 0 : 1;
}
