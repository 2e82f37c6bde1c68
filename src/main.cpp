#include "base/commandline.h"
#include "window/form1.h"
#include "window/homepagecall.h"
#include "base/widgets/qtprompts.h"
#include "window/batchruncontrols.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Before QApplication, which needs a display: "--help" works without one.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLineAnswer answer = answerCommandLine(arguments);
    if (answer.handled) {
        std::fputs(answer.output.toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QtPrompts prompts;
    Form1Environment environment{QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator(),
                                 timeSeededDrawOneToHundred()};
    Form1 form(prompts, environment);
    prompts.setOwner(&form);
    form.Form_Load();
    form.show();
    // Once the window is up: what a program that stopped hard left half written.
    QTimer::singleShot(0, &form, [&form] { form.batchRunControls().batchRun().recoverAtStart(); });
    return app.exec();
}
