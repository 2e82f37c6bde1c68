#include "base/prompts.h"

QString Prompts::titleOrDefault(const QString& title) const
{
    return title.isEmpty() ? m_applicationTitle : title;
}

Answer Prompts::message(const QString& text, int style, const QString& title)
{
    return showMessage(text, style, titleOrDefault(title));
}

Answer Prompts::message(const QString& text, const QString& details, int style, const QString& title)
{
    return showMessageWithDetails(text, details, style, titleOrDefault(title));
}

Answer Prompts::report(const QString& text, const QString& details, const QString& reportName)
{
    return showReport(text, details, reportName, titleOrDefault({}));
}

QString Prompts::input(const QString& prompt, const QString& title, const QString& preset)
{
    return showInput(prompt, titleOrDefault(title), preset);
}

QStringList Prompts::openFiles(const FileDialogRequest& request)
{
    return showOpenFiles(request);
}

QString Prompts::saveFile(const FileDialogRequest& request)
{
    return showSaveFile(request);
}

QString Prompts::browseFolder(const QString& title, const QString& startFolder)
{
    return showBrowseFolder(title, startFolder);
}

bool Prompts::openWithDesktop(const QString& pathOrUrl)
{
    return showWithDesktop(pathOrUrl);
}

void Prompts::openForUser(const QString& pathOrUrl)
{
    if (!openWithDesktop(pathOrUrl))
        message(QStringLiteral("No program was found to open ") + pathOrUrl + QStringLiteral("."));
}
