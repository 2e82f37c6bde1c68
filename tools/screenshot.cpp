// Renders the main window after its load sequence into a PNG, for the README.
// Usage: tallowmere_screenshot OUTPUT.png
#include "form1.h"
#include "qtprompts.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
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
    form.show();
    app.processEvents();
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
