#include "platform/qtmessageboxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace orrinet;

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;
using Icon = MessageBoxes::Icon;

namespace {

QMessageBox *openBox()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

} // namespace

// Real modal boxes: the buttons shown, the default (first) button, and what
// closing the box answers.
class TestMessageBoxes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void qtBoxes_data();
    void qtBoxes();
};

void TestMessageBoxes::qtBoxes_data()
{
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<bool>("pressReturn"); // else the box is closed
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QMessageBox::StandardButtons>("shown");

    const QMessageBox::StandardButtons yn = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("YesNoCancel closed") << Buttons::YesNoCancel << false << Answer::Cancel
                                        << (yn | QMessageBox::Cancel);
    QTest::newRow("YesNo closed") << Buttons::YesNo << false << Answer::No << yn;
    QTest::newRow("YesNo Return") << Buttons::YesNo << true << Answer::Yes << yn;
    QTest::newRow("Ok closed") << Buttons::Ok << false << Answer::Ok
                               << QMessageBox::StandardButtons(QMessageBox::Ok);
}

void TestMessageBoxes::qtBoxes()
{
    QFETCH(Buttons, buttons);
    QFETCH(bool, pressReturn);
    QFETCH(Answer, answer);
    QFETCH(QMessageBox::StandardButtons, shown);

    bool seen = false;
    bool stuck = false;
    // Acts on the box once its modal loop runs.
    QTimer::singleShot(0, this, [&] {
        QMessageBox *box = openBox();
        if (!box)
            return;
        seen = box->windowTitle() == QLatin1String("Orrinet - Exit / Save") &&
               box->text() == QLatin1String("Exit and Save current settings") &&
               box->icon() == QMessageBox::Warning && box->standardButtons() == shown;
        if (pressReturn)
            QTest::keyClick(box, Qt::Key_Return);
        else
            box->close();
    });
    // A box that ignores the action would block the test: end it by force.
    QTimer::singleShot(3000, this, [&] {
        if (QMessageBox *box = openBox()) {
            stuck = true;
            box->done(0);
        }
    });

    QWidget parent;
    QtMessageBoxes boxes;
    const Answer given = boxes.ask(&parent, QStringLiteral("Orrinet - Exit / Save"),
                                   QStringLiteral("Exit and Save current settings"), buttons, Icon::Warning);
    QVERIFY(seen);
    QVERIFY2(!stuck, "the box ignored the action");
    QCOMPARE(given, answer);
}

QTEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
