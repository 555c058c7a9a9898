// The panel started as src/app/main.cpp starts it, run in one of the subject
// modes of common.h. With --com N it can connect to the line mapped to Com N.

#include "app/frmMain.h"
#include "app/panelstyle.h"
#include "app/frmMonitor.h"
#include "common.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtmessageboxes.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>

int main(int argc, char *argv[])
{
    orrinet::bench::SubjectArgs args = orrinet::bench::parseSubjectArgs(argc, argv);
    QApplication app(argc, argv);
    QApplication::setStyle(new orrinet::PanelStyle);
    args.appNs = orrinet::bench::monotonicNs();

    orrinet::QtSettingsStore settings;
    orrinet::QtSerialLine port(settings);
    orrinet::SleepingWait wait;
    orrinet::QtMessageBoxes boxes;
    orrinet::QtCursor cursor;

    frmMain w{orrinet::Platform{port, settings, wait, boxes, cursor}};

    orrinet::bench::SubjectHooks hooks;
    if (args.comPort > 0) {
        hooks.connect = [&] {
            w.Combo1->setCurrentIndex(args.comPort - 1);
            w.CommandConnect_Click();
            if (args.monitor)
                w.LineMonitorButton_Click();
            return port.isOpen();
        };
    }
    hooks.finalReport = [&] {
        // What the status bar shows, and the status text behind it.
        orrinet::bench::report(QStringLiteral("shown_chars"), double(w.StatusText->text().size()));
        orrinet::bench::report(QStringLiteral("shown_lines"),
                               double(w.StatusText->text().count(u'\n') + 1));
        orrinet::bench::report(QStringLiteral("status_chars"), double(w.statusText().size()));
        orrinet::bench::report(QStringLiteral("final_width"), w.width());
        orrinet::bench::report(QStringLiteral("final_height"), w.height());
        if (w.lineMonitor())
            orrinet::bench::report(QStringLiteral("monitor_lines"),
                                   double(w.lineMonitor()->log().size()));
    };
    return orrinet::bench::runSubject(w, args, hooks);
}
