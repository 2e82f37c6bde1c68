// Renders the main window after its load sequence into a PNG, for the README.
// Usage: tallowmere_screenshot OUTPUT.png
#include "filelist/filelistmodel.h"
#include "filelist/widgets/filelistview.h"
#include "window/form1.h"
#include "base/widgets/qtprompts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QPlainTextEdit>
#include <QSettings>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    // A fresh settings store, so the picture shows a first start.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QtPrompts prompts;
    Form1 form(prompts, {QCoreApplication::applicationDirPath() + QDir::separator(), [] { return 1; }});
    form.Form_Load();
    // The shipped samples in the list and a pair in the boxes, as a user would start.
    const QString samples = QCoreApplication::applicationDirPath() + QStringLiteral("/Samples");
    for (const QString& name : QDir(samples).entryList(QDir::Files, QDir::Name))
        form.ListView1->fileList()->Append(QDir::toNativeSeparators(samples + QDir::separator() + name));
    form.Text1->setPlainText(QStringLiteral("Berlin\nParis"));
    form.Text2->setPlainText(QStringLiteral("Hamburg\nLyon"));
    form.show();
    // The list shows rows added in a burst a moment later.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        app.processEvents(QEventLoop::AllEvents, 50);
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
