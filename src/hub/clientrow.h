#pragma once

// What the panel shows of the hub's clients, without the hub's network part.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <vector>

namespace orrinet::hub {

// A network client as a list of clients shows it.
struct HubClientRow
{
    QString address;
    quint16 port = 0;
    QDateTime since;
    QByteArray lastCommand;
    std::vector<QByteArray> owedStops; // the moves it has running, as their stops
};

// Printable ASCII as it is, anything else as \xHH, for the log.
QString printableText(QByteArrayView bytes);

} // namespace orrinet::hub
