#include "portmapping.h"

#include <QSettings>

namespace lx200sim {

QString ComPortMapping::key(int com)
{
    return QStringLiteral("Ports/com%1").arg(com);
}

ComPortMapping::ComPortMapping(int com, const QString &target) : m_key(key(com))
{
    QSettings settings(QStringLiteral("Orrinet"), QStringLiteral("Orrinet"));
    settings.setValue(m_key, target);
    settings.sync();
}

ComPortMapping::~ComPortMapping()
{
    QSettings settings(QStringLiteral("Orrinet"), QStringLiteral("Orrinet"));
    settings.remove(m_key);
    settings.sync();
}

} // namespace lx200sim
