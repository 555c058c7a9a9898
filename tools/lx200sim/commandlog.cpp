#include "commandlog.h"

namespace lx200sim {

QByteArray printableBytes(QByteArrayView bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\')
            out += c;
        else
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return out;
}

bool CommandLog::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    *error = QStringLiteral("--command-log: %1: %2").arg(path, m_file.errorString());
    return false;
}

void CommandLog::record(const QByteArray &command, qint64 atNs)
{
    const double ms = static_cast<double>(atNs - m_originNs) / 1e6;
    m_file.write(QByteArray::number(ms, 'f', 3) + ' ' + printableBytes(command) + '\n');
    m_file.flush();
}

} // namespace lx200sim
