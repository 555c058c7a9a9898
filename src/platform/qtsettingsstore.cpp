#include "platform/qtsettingsstore.h"

#include "platform/portdevices.h"

namespace orrinet {

namespace {

QString path(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

QString QtSettingsStore::read(const QString &section, const QString &key,
                              const QString &defaultValue) const
{
    // QSettings reads the file once and keeps it; the port mapping may be
    // changed by another program while the panel runs (a simulator started
    // again maps the same number to a new device), so look at the file again.
    if (section == QLatin1String(portOverrideSection))
        m_settings.sync();
    return m_settings.value(path(section, key), defaultValue).toString();
}

bool QtSettingsStore::write(const QString &section, const QString &key, const QString &value)
{
    if (!m_settings.isWritable())
        return false;
    m_settings.setValue(path(section, key), value);
    return true;
}

bool QtSettingsStore::removeSection(const QString &section)
{
    if (!m_settings.isWritable())
        return false;
    m_settings.beginGroup(section);
    const bool existed = !m_settings.allKeys().isEmpty();
    m_settings.endGroup();
    if (!existed)
        return false;
    m_settings.remove(section);
    return true;
}

bool QtSettingsStore::flush()
{
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

QString QtSettingsStore::location() const
{
    return m_settings.fileName();
}

} // namespace orrinet
