#pragma once

#include <QObject>
#include <QString>

namespace orrinet {

// The serial line to the telescope, reduced to the operations the panel uses.
// Text is 8-bit: each character stands for one byte (Latin-1).
class SerialPort : public QObject
{
    Q_OBJECT

public:
    // Kinds of line event; only EventReceive carries replies.
    enum CommEvent : int { EventNone = 0, EventReceive = 2, EventLost = 1009 };

    using QObject::QObject;

    // Selects the port that the next open() uses.
    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;

    // Opens with the fixed line settings (9600 baud, 8N1). On failure returns
    // false and errorString() names the device tried and the reason.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString errorString() const = 0;

    // Sends the characters as bytes, in order, nothing added. Never blocks.
    virtual bool write(const QString &text) = 0;

    // received() is raised once this many characters are buffered.
    virtual void setReceiveThreshold(int count) = 0;
    virtual int receiveThreshold() const = 0;

    // Everything received and not yet read; empties the buffer. "" when closed.
    virtual QString readAll() = 0;
    // Everything received and not yet read, left for the next readAll().
    virtual QString peekAll() = 0;

    // The kind of the event being delivered (valid inside a received() slot).
    virtual int commEvent() const = 0;

Q_SIGNALS:
    void received();
    // The device went away while open (unplugged, hung up, bridge reset).
    void connectionLost(const QString &reason);
};

} // namespace orrinet
