#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace lx200sim {

// Bytes as a log line shows them: printable ASCII as is, everything else and
// the backslash as \xHH, so a line never breaks and can be read back exactly.
QByteArray printableBytes(QByteArrayView bytes);

// --command-log: each command the moment it is framed, one line each,
// "MS.mmm COMMAND", MS counted on the monotonic clock from originNs. Every
// line is flushed at once, so a test can read the file while the client
// still holds the line open.
class CommandLog {
public:
    explicit CommandLog(qint64 originNs) : m_originNs(originNs) {}

    bool open(const QString &path, QString *error);
    void record(const QByteArray &command, qint64 atNs);

private:
    qint64 m_originNs = 0;
    QFile m_file;
};

} // namespace lx200sim
