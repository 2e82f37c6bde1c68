#include "base/commandline.h"
#include "base/widgets/qtprompts.h"
#include "window/batchruncontrols.h"
#include "window/form1.h"
#include "window/homepagecall.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Before QApplication, which needs a display: "--help", "--version" and
    // a wrong option are answered without one.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLineAnswer answer = answerCommandLine(arguments, QDir::currentPath());
    if (answer.handled) {
        std::fputs(answer.output.toLocal8Bit().constData(), stdout);
        std::fputs(answer.errors.toLocal8Bit().constData(), stderr);
        return answer.exitCode;
    }

    // Qt sees no argument: every one is ours, and a file named like one of
    // Qt's options ("-style") stays a file.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QtPrompts prompts;
    Form1Environment environment{QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator(),
        timeSeededDrawOneToHundred()};
    Form1 form(prompts, environment);
    prompts.setOwner(&form);
    form.Form_Load();
    form.show();
    // Once the window is up: what a program that stopped hard left half written.
    QTimer::singleShot(0, &form, [&form] { form.batchRunControls().batchRun().recoverAtStart(); });
    // Once the window shows, so that a long folder scan runs in sight.
    if (!answer.paths.isEmpty())
        QTimer::singleShot(0, &form, [&form, paths = answer.paths] { form.AddStartFiles(paths); });
    return app.exec();
}
