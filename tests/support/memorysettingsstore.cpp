#include "support/memorysettingsstore.h"

namespace orrinet {

QString MemorySettingsStore::read(const QString &section, const QString &key,
                                  const QString &defaultValue) const
{
    const auto found = m_sections.find(section);
    if (found == m_sections.end())
        return defaultValue;
    const auto value = found->second.find(key);
    return value == found->second.end() ? defaultValue : value->second;
}

bool MemorySettingsStore::write(const QString &section, const QString &key, const QString &value)
{
    if (m_failWrites)
        return false;
    m_sections[section][key] = value;
    m_log.push_back({section, key, value});
    return true;
}

bool MemorySettingsStore::removeSection(const QString &section)
{
    if (m_failWrites)
        return false;
    return m_sections.erase(section) > 0;
}

bool MemorySettingsStore::flush()
{
    ++m_flushCount;
    return !m_failFlush;
}

void MemorySettingsStore::preset(const QString &section, const QString &key, const QString &value)
{
    m_sections[section][key] = value;
}

QStringList MemorySettingsStore::keys(const QString &section) const
{
    QStringList keys;
    if (const auto found = m_sections.find(section); found != m_sections.end()) {
        for (const auto &entry : found->second)
            keys << entry.first;
    }
    return keys;
}

} // namespace orrinet
