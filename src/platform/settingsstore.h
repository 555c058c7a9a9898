#pragma once

#include <QString>

namespace orrinet {

// The per-user settings store: text values under section and key, all
// belonging to the application "Orrinet".
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored text, or defaultValue when the key or section is missing.
    virtual QString read(const QString &section, const QString &key,
                         const QString &defaultValue) const = 0;
    // Creates or replaces one key; false when the store refused it.
    virtual bool write(const QString &section, const QString &key, const QString &value) = 0;
    // Removes the section with all its keys; false when there was nothing to remove
    // or the store refused.
    virtual bool removeSection(const QString &section) = 0;
    // Pushes pending writes to permanent storage; false when that failed.
    virtual bool flush() = 0;
};

} // namespace orrinet
