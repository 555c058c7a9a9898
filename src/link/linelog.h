#pragma once

#include <QString>
#include <QStringView>
#include <deque>

namespace orrinet {

enum class LineDirection { Written, Read };

// The line traffic as the line monitor lists it: one entry per write or read,
// longer ones cut into several lines, the most recent kCapacity lines kept.
// Each line's text is escaped once, when recorded.
class LineLog
{
public:
    static constexpr qsizetype kCapacity = 10000;
    static constexpr qsizetype kBytesPerLine = 64;

    struct Line
    {
        qint64 msecsSinceEpoch = 0;
        LineDirection direction = LineDirection::Written;
        QString text;   // escaped
        QString client; // who wrote or read it while the line is shared; "" otherwise
    };

    void record(LineDirection direction, QStringView bytes, qint64 msecsSinceEpoch,
                const QString &client = {});
    void clear() { m_lines.clear(); }

    qsizetype size() const { return qsizetype(m_lines.size()); }
    const Line &at(qsizetype index) const { return m_lines[std::size_t(index)]; }

    // "13:04:05.123  TX  :GR#", local time of day; shared, the client after
    // the direction: "13:04:05.123  TX  panel  :GR#".
    QString lineText(qsizetype index) const;
    // Every line, oldest first, each ended by a line feed.
    QString allText() const;

private:
    std::deque<Line> m_lines;
};

// Bytes as printable ASCII: backslash doubled, every other character outside
// 0x20..0x7E (control characters, the 0xDF degree mark) as \xHH.
QString escapeLineBytes(QStringView bytes);

} // namespace orrinet
