#pragma once

#include <QString>

namespace lx200sim {

// Points the panel's Com N at the simulator for the current user while it
// runs: settings Orrinet/Orrinet, group Ports, key comN = device or tcp:// URL.
class ComPortMapping {
public:
    ComPortMapping(int com, const QString &target);
    ~ComPortMapping();
    ComPortMapping(const ComPortMapping &) = delete;
    ComPortMapping &operator=(const ComPortMapping &) = delete;

    static QString key(int com);

private:
    QString m_key;
};

} // namespace lx200sim
