#pragma once

namespace orrinet {

class SerialPort;
class SettingsStore;
class BlockingWait;
class MessageBoxes;
class Cursor;

// What the main window needs from the machine it runs on. The real program
// passes the Qt implementations; tests pass the doubles.
struct Platform
{
    SerialPort &port;
    SettingsStore &settings;
    BlockingWait &wait;
    MessageBoxes &messages;
    Cursor &cursor;
};

} // namespace orrinet
