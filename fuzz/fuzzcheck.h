#pragma once

// What the fuzz targets share: reading Latin-1 text from the fuzzer's bytes,
// and stopping the run when an invariant breaks, so that libFuzzer keeps the
// input that broke it.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace orrinet::fuzz {

// One character per byte, as the serial line delivers them.
inline QString latin1(const std::uint8_t *data, std::size_t size)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// Printable ASCII as it is, every other character as \xNN (or \uNNNN).
inline QByteArray escaped(const QString &text)
{
    QByteArray out;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x20 && u < 0x7F && u != '\\') {
            out += static_cast<char>(u);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, u < 0x100 ? "\\x%02X" : "\\u%04X",
                          static_cast<unsigned>(u));
            out += buffer;
        }
    }
    return out;
}

[[noreturn]] inline void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "\n*** invariant broken: %s\n    %s\n", what, escaped(detail).constData());
    std::fflush(stderr);
    std::abort();
}

inline void require(bool holds, const char *what, const QString &detail = QString())
{
    if (!holds)
        fail(what, detail);
}

} // namespace orrinet::fuzz
