#pragma once

#include "link/linelog.h"
#include "platform/serialport.h"

namespace orrinet {

// The serial line as the panel uses it: every call goes to the machine's line
// unchanged. While a log is attached (the line monitor is open), what is
// written and what is read is also recorded there; with none attached the
// tap costs one pointer test per call.
class LineTap final : public SerialPort
{
    Q_OBJECT

public:
    explicit LineTap(SerialPort &line, QObject *parent = nullptr);

    void attach(LineLog *log) { m_log = log; }
    bool attached() const { return m_log != nullptr; }
    // While the line is shared: the name the panel's own lines carry ("panel"),
    // and what other clients sent and got, recorded under their names.
    void setClientName(const QString &name) { m_client = name; }
    void recordFor(const QString &client, LineDirection direction, QStringView bytes);

    void setPortNumber(int number) override { m_line.setPortNumber(number); }
    int portNumber() const override { return m_line.portNumber(); }
    bool open() override { return m_line.open(); }
    void close() override { m_line.close(); }
    bool isOpen() const override { return m_line.isOpen(); }
    QString errorString() const override { return m_line.errorString(); }
    bool write(const QString &text) override;
    void setReceiveThreshold(int count) override { m_line.setReceiveThreshold(count); }
    int receiveThreshold() const override { return m_line.receiveThreshold(); }
    QString readAll() override;
    QString peekAll() override { return m_line.peekAll(); }
    int commEvent() const override { return m_line.commEvent(); }

Q_SIGNALS:
    // Lines were added to the attached log.
    void recorded();

private:
    SerialPort &m_line;
    LineLog *m_log = nullptr;
    QString m_client;
};

} // namespace orrinet
