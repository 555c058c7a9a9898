#include "platform/portdevices.h"

#include "platform/settingsstore.h"

#include <QUrl>
#include <array>

namespace orrinet {

namespace {

struct PortRange
{
    int first;
    int last;
    const char *devicePrefix;
};

// Each block of 32 numbers maps onto one kind of Linux serial device.
constexpr std::array linuxRanges{
    PortRange{1, 32, "/dev/ttyS"},
    PortRange{33, 64, "/dev/ttyUSB"},
    PortRange{65, 96, "/dev/ttyACM"},
};

constexpr int highestWindowsPort = 255;

constexpr QLatin1String bridgeScheme("tcp://");

} // namespace

QString portOverrideKey(int number)
{
    return QStringLiteral("com") + QString::number(number);
}

QString linuxDeviceForPort(int number)
{
    for (const PortRange &range : linuxRanges) {
        if (number >= range.first && number <= range.last)
            return QLatin1String(range.devicePrefix) + QString::number(number - range.first);
    }
    return {};
}

QString windowsDeviceForPort(int number)
{
    if (number < 1 || number > highestWindowsPort)
        return {};
    return QStringLiteral("COM") + QString::number(number);
}

QString deviceForPort(int number, const SettingsStore &settings)
{
    const QString override =
        settings.read(QLatin1String(portOverrideSection), portOverrideKey(number), QString())
            .trimmed();
    if (!override.isEmpty())
        return override;
#ifdef Q_OS_WIN
    return windowsDeviceForPort(number);
#else
    return linuxDeviceForPort(number);
#endif
}

bool isNetworkBridge(const QString &device)
{
    return device.startsWith(bridgeScheme, Qt::CaseInsensitive);
}

std::optional<NetworkBridge> parseNetworkBridge(const QString &device)
{
    if (!isNetworkBridge(device))
        return std::nullopt;
    const QString address = device.mid(bridgeScheme.size());
    const QUrl url(device, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() ||
        !url.path().isEmpty() || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    const int port = url.port();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return NetworkBridge{url.host(), static_cast<quint16>(port), address};
}

} // namespace orrinet
