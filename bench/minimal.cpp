// The reference for start-up, memory and idle cost: a Qt Widgets program
// with one window holding one label, in the panel's widget style.

#include "common.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    orrinet::bench::SubjectArgs args = orrinet::bench::parseSubjectArgs(argc, argv);
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    args.appNs = orrinet::bench::monotonicNs();

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Orrinet"), &window));

    return orrinet::bench::runSubject(window, args, {});
}
