#include "window/form1.h"
#include "window/homepagecall.h"
#include "base/widgets/qtprompts.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QtPrompts prompts;
    Form1Environment environment{QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator(),
                                 timeSeededDrawOneToHundred()};
    Form1 form(prompts, environment);
    prompts.setOwner(&form);
    form.Form_Load();
    form.show();
    return app.exec();
}
