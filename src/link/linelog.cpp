#include "link/linelog.h"

#include <QDateTime>
#include <QTime>

namespace orrinet {

QString escapeLineBytes(QStringView bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size());
    for (const QChar c : bytes) {
        const char16_t u = c.unicode();
        if (u == u'\\') {
            out += QLatin1String("\\\\");
        } else if (u >= 0x20 && u <= 0x7E) {
            out += c;
        } else {
            const unsigned byte = u & 0xFFu; // the line carries 8-bit characters
            out += QLatin1String("\\x");
            out += QLatin1Char(kHex[byte >> 4]);
            out += QLatin1Char(kHex[byte & 0xFu]);
        }
    }
    return out;
}

void LineLog::record(LineDirection direction, QStringView bytes, qint64 msecsSinceEpoch,
                     const QString &client)
{
    for (qsizetype from = 0; from < bytes.size(); from += kBytesPerLine) {
        m_lines.push_back(
            {msecsSinceEpoch, direction, escapeLineBytes(bytes.mid(from, kBytesPerLine)), client});
        if (size() > kCapacity)
            m_lines.pop_front();
    }
}

QString LineLog::lineText(qsizetype index) const
{
    const Line &line = at(index);
    const QTime time = QDateTime::fromMSecsSinceEpoch(line.msecsSinceEpoch).time();
    return time.toString(QStringLiteral("HH:mm:ss.zzz")) +
           (line.direction == LineDirection::Written ? QLatin1String("  TX  ")
                                                     : QLatin1String("  RX  ")) +
           (line.client.isEmpty() ? QString() : line.client + QLatin1String("  ")) + line.text;
}

QString LineLog::allText() const
{
    QString text;
    for (qsizetype i = 0; i < size(); ++i) {
        text += lineText(i);
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace orrinet
