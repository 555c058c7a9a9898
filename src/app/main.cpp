// The program: the main window over the machine's serial line, settings
// store, blocking wait and message boxes.

#include "app/frmMain.h"
#include "app/panelstyle.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtmessageboxes.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"
#include "platform/terminationsignals.h"

#include <QApplication>
#include <csignal>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(new orrinet::PanelStyle);

    orrinet::QtSettingsStore settings;
    orrinet::QtSerialLine port(settings);
    orrinet::SleepingWait wait;
    orrinet::QtMessageBoxes boxes;
    orrinet::QtCursor cursor;

    frmMain w{orrinet::Platform{port, settings, wait, boxes, cursor}};
    w.show();
    // Logout's SIGTERM or a terminal's Ctrl+C closes the panel like its
    // window's close box: held moves stop and the port is closed.
    orrinet::TerminationSignals termination{SIGTERM, SIGINT};
    QObject::connect(&termination, &orrinet::TerminationSignals::caught, &app,
                     &QApplication::closeAllWindows);
    return QApplication::exec();
}
