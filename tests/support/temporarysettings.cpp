#include "support/temporarysettings.h"

#include "base/settings.h"

#include <QSettings>

TemporarySettings::TemporarySettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    beginSettingsSession();
}

QString TemporarySettings::fileName() const
{
    return m_dir.path() + QStringLiteral("/Pellworth.conf");
}
