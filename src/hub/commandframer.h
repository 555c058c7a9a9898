#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

namespace orrinet::hub {

// Cuts one client's byte stream into whole commands. A command starts at ':'
// and ends at '#', or is the ACK byte alone; '#' and other bytes between
// commands are skipped. A command split over several reads is joined, several
// in one read are cut apart. A command longer than kMaxCommandBytes, or with a
// byte outside printable ASCII (the degree mark 0xDF in ":Sd" excepted), is
// dropped and reported; framing starts again at the next ':'.
class CommandFramer
{
public:
    static constexpr qsizetype kMaxCommandBytes = 64;

    struct Item
    {
        QByteArray command; // whole command, or what was dropped
        QString dropReason; // "" for a command
    };

    std::vector<Item> feed(QByteArrayView bytes);

private:
    void drop(std::vector<Item> &items, const QString &reason);

    QByteArray m_pending;
    bool m_inCommand = false;
    bool m_skipping = false; // after a drop, until the next ':'
};

} // namespace orrinet::hub
