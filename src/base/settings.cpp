#include "base/settings.h"

#include "base/failure.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QtNumeric>

namespace {
const QString application = QStringLiteral("Pellworth");
const QString section = QStringLiteral("Tallowmere");

// A store that can't be written is told once a session: every keystroke in
// the output-folder box saves, and a box per keystroke helps nobody.
bool writeFailureTold = false;

QString sectionKey(const QString& key)
{
    return section + QLatin1Char('/') + key;
}

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, application);
}

// A settings file that can't be parsed is never written over by the store;
// it is kept under another name and a fresh one is started. The report for
// it, or an empty text when the file could not be moved either.
QString keepUnreadableAside(const QString& fileName)
{
    const QString stem = fileName + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside = stem;
    for (int n = 2; QFile::exists(aside); ++n)
        aside = stem + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(fileName, aside))
        return {};
    return QStringLiteral("The settings file %1 could not be read. It was kept as %2 and a new one was started.")
        .arg(fileName, aside);
}

// A text file of settings holds no NUL byte; the store would take one for
// no entries and write over the rest.
bool holdsBinary(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains('\0');
}

// Reads or writes, after moving an unreadable file aside; the report of that
// move, if one was made.
template <class Use> QString withReadableStore(Use&& use)
{
    QString told;
    {
        auto settings = store();
        const bool readable = settings.status() != QSettings::FormatError && !holdsBinary(settings.fileName());
        if (readable && use(settings))
            return told;
        told = keepUnreadableAside(settings.fileName());
        if (told.isEmpty())
            return told;
    }
    auto fresh = store();
    use(fresh);
    return told;
}

} // namespace

void beginSettingsSession()
{
    writeFailureTold = false;
}

QString GetSetting(const QString& key, const QString& defaultValue)
{
    QVariant value;
    const QString told = withReadableStore([&](QSettings& settings) {
        value = settings.value(sectionKey(key));
        return true;
    });
    if (!told.isEmpty())
        throw Failure(told);
    if (!value.isValid())
        return defaultValue;
    // A value that looks like a list comes back as one; join it as it was written.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QString GetSetting(const QString& key, int defaultValue)
{
    return GetSetting(key, QString::number(defaultValue));
}

void SaveSetting(const QString& key, const QString& value)
{
    QSettings::Status status = QSettings::NoError;
    QString fileName;
    const QString told = withReadableStore([&](QSettings& settings) {
        settings.setValue(sectionKey(key), value);
        settings.sync();
        status = settings.status();
        fileName = settings.fileName();
        // A file that reads as text but can't be parsed fails only here.
        return status != QSettings::FormatError;
    });
    if (status != QSettings::NoError) {
        if (writeFailureTold)
            return;
        writeFailureTold = true;
        throw Failure(QStringLiteral("Cannot write the settings file ") + fileName
            + QStringLiteral(". Choices made now may not be there at the next start; "
                             "this is told once."));
    }
    if (!told.isEmpty())
        throw Failure(told);
}

bool toTruthValue(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    // "inf" and "nan" convert too, but they are no decimal numbers.
    if (ok && qIsFinite(number))
        return number != 0.0;
    throw Failure(QStringLiteral("Type mismatch"));
}

QString truthText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
