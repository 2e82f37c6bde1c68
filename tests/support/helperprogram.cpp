#include "support/helperprogram.h"

#include <QProcess>
#include <QThread>

HelperRun runHelperProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    HelperRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.killed = process.exitStatus() == QProcess::CrashExit;
    run.exitCode = run.killed ? -1 : process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

bool killHelperProgramAfter(const QString& program, const QStringList& arguments, unsigned long milliseconds)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted())
        return false;
    QThread::msleep(milliseconds);
    process.kill();
    return process.waitForFinished(60000);
}
