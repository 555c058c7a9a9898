#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace orrinet {

class SettingsStore;

// Per-user overrides of the port-number mapping: section "Ports", key
// "com<N>", holding a device path or "tcp://HOST:PORT" (a network bridge).
inline constexpr char portOverrideSection[] = "Ports";
QString portOverrideKey(int number);

// The device a port number stands for on Linux: Com 1-32 are /dev/ttyS0-31,
// 33-64 /dev/ttyUSB0-31, 65-96 /dev/ttyACM0-31. "" for any other number.
QString linuxDeviceForPort(int number);

// The device a port number stands for on Windows: COM1..COM255, else "".
QString windowsDeviceForPort(int number);

// The device that open() uses for a port number on this machine: the
// per-user override if there is one, else the platform's own mapping.
// "" when the number has no device.
QString deviceForPort(int number, const SettingsStore &settings);

// A serial line reached over TCP, as offered by WiFi telescope adapters.
struct NetworkBridge
{
    QString host;
    quint16 port = 0;
    // "HOST:PORT" as the user wrote it, for messages.
    QString address;
};

bool isNetworkBridge(const QString &device);
// Reads "tcp://HOST:PORT" (HOST may be a name, an IPv4 address or [IPv6]);
// nullopt when the text is not one or the host or port is missing or invalid.
std::optional<NetworkBridge> parseNetworkBridge(const QString &device);

} // namespace orrinet
