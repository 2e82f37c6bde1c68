#include "enginestandin.h"

#include "failure.h"

#include <QFile>
#include <QFileInfo>

QString NormalizePath(const QString& path, QChar separator)
{
    const QString doubled = QString(2, separator);
    if (!path.startsWith(separator)) {
        QString result = path;
        return result.replace(doubled, QString(separator));
    }
    qsizetype k = 0;
    while (k < path.size() && path[k] == separator)
        ++k;
    QString rest = path.mid(k);
    rest.replace(doubled, QString(separator));
    const QString lead = separator == QLatin1Char('\\') ? doubled : QString(separator);
    return lead + rest;
}

FileLines ReadFileLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(file.errorString());
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return {text.split(QLatin1Char('\n'))};
}

bool FolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}
