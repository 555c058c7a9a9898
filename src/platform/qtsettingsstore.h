#pragma once

#include "platform/settingsstore.h"

#include <QSettings>

namespace orrinet {

// The per-user settings of application "Orrinet" through QSettings; a
// section is a QSettings group. On Linux the file lies under
// $XDG_CONFIG_HOME/Orrinet/.
class QtSettingsStore final : public SettingsStore
{
public:
    QtSettingsStore() = default;

    QString read(const QString &section, const QString &key,
                 const QString &defaultValue) const override;
    bool write(const QString &section, const QString &key, const QString &value) override;
    bool removeSection(const QString &section) override;
    bool flush() override;

    // Where the values are kept (a file path, or a registry path on Windows).
    QString location() const;

private:
    // Mutable: reading the port mapping first looks for changes on disk.
    mutable QSettings m_settings{QSettings::NativeFormat, QSettings::UserScope,
                                 QStringLiteral("Orrinet"), QStringLiteral("Orrinet")};
};

} // namespace orrinet
