#pragma once

#include <functional>
#include <memory>

namespace orrinet {

class SerialPort;
class SettingsStore;
class BlockingWait;
class MessageBoxes;
class Cursor;

// Makes the line a shared telescope's hub owns, for a port number; called in
// the hub's thread.
using HubLineMaker = std::function<std::unique_ptr<SerialPort>(int portNumber)>;

// What the main window needs from the machine it runs on. The real program
// passes the Qt implementations; tests pass the doubles.
struct Platform
{
    SerialPort &port;
    SettingsStore &settings;
    BlockingWait &wait;
    MessageBoxes &messages;
    Cursor &cursor;
    // Empty: the machine's serial line for the port number.
    HubLineMaker hubLine = {};
    // False runs the hub on the window's thread (tests over a fake line).
    bool hubInOwnThread = true;
};

} // namespace orrinet
