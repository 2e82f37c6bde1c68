#include "base/errorreport.h"

#include "base/appinfo.h"
#include "base/prompts.h"

QString errorLocation(const QString& module, const QString& procedure)
{
    return QStringLiteral("in Quorvane2021/08/31.") + module + QLatin1Char('.') + procedure + QLatin1Char(' ');
}

QString form1Location(const char* procedure)
{
    return errorLocation(QStringLiteral("Form1"), QLatin1String(procedure));
}

QString subDirectoriesErrorLocation()
{
    return QStringLiteral("in Ravelstone2021/08/31.AddFolder.GetSubDirectories2016 ");
}

QString errorReportText(const QString& description, const QString& location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") + QString::number(line)
        + QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ")
        + AppInfo::supportAddress;
}

void ErrorReporter::report(const QString& description, const QString& location, int line)
{
    m_prompts.message(
        errorReportText(description, location, line), StyleExclamation, QStringLiteral("Application Error"));
}

void GuardedProcedure::fail(const QString& description)
{
    ++m_failures;
    m_lastFailure = description;
    m_reporter.report(description, m_location, m_line);
}
