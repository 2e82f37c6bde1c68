#include "base/settings.h"

#include "base/failure.h"

#include <QSettings>
#include <QtNumeric>

namespace {
const QString application = QStringLiteral("Pellworth");
const QString section = QStringLiteral("Tallowmere");

QString sectionKey(const QString& key)
{
    return section + QLatin1Char('/') + key;
}

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, application);
}
} // namespace

QString GetSetting(const QString& key, const QString& defaultValue)
{
    const QVariant value = store().value(sectionKey(key));
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
    auto settings = store();
    settings.setValue(sectionKey(key), value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw Failure(QStringLiteral("Cannot write the settings file ") + settings.fileName());
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
