#pragma once

#include "platform/settingsstore.h"

#include <QStringList>
#include <map>
#include <vector>

namespace orrinet {

// A settings store held in memory, for tests: remembers the order of writes
// and can be told to refuse writes or flushes.
class MemorySettingsStore final : public SettingsStore
{
public:
    struct Write
    {
        QString section;
        QString key;
        QString value;
    };

    QString read(const QString &section, const QString &key,
                 const QString &defaultValue) const override;
    bool write(const QString &section, const QString &key, const QString &value) override;
    bool removeSection(const QString &section) override;
    bool flush() override;

    // Stores a value as an earlier run would have left it; not logged.
    void preset(const QString &section, const QString &key, const QString &value);

    // Accepted writes, oldest first.
    const std::vector<Write> &writeLog() const { return m_log; }
    void clearWriteLog() { m_log.clear(); }

    // The keys present in a section, sorted.
    QStringList keys(const QString &section) const;
    int flushCount() const { return m_flushCount; }

    // While failing, writes and section removal are refused.
    void failWrites(bool fail) { m_failWrites = fail; }
    void failFlush(bool fail) { m_failFlush = fail; }

private:
    std::map<QString, std::map<QString, QString>> m_sections;
    std::vector<Write> m_log;
    int m_flushCount = 0;
    bool m_failWrites = false;
    bool m_failFlush = false;
};

} // namespace orrinet
