#include "platform/qtmessageboxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace orrinet;

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;

namespace {

QMessageBox *openBox()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

} // namespace

// Real modal boxes: what they show, the default (first) button, and what
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
    QTest::newRow("YesNoCancel closed")
        << Buttons::YesNoCancel << false << Answer::Cancel << (yn | QMessageBox::Cancel);
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

    QStringList seen;
    QMessageBox::StandardButtons seenButtons;
    // Acts on the box once its modal loop runs.
    QTimer::singleShot(0, this, [&] {
        QMessageBox *box = openBox();
        seen = {box->windowTitle(), box->text(), QString::number(box->icon())};
        seenButtons = box->standardButtons();
        pressReturn ? QTest::keyClick(box, Qt::Key_Return) : void(box->close());
    });
    // A box that ignores the action would block the test: end it by force.
    bool stuck = false;
    QTimer::singleShot(3000, this, [&stuck] {
        if (QMessageBox *box = openBox()) {
            stuck = true;
            box->done(0);
        }
    });

    QWidget parent;
    const Answer given =
        QtMessageBoxes().ask(&parent, QStringLiteral("Title"), QStringLiteral("Text"), buttons,
                             MessageBoxes::Icon::Warning);
    QCOMPARE(seen, (QStringList{"Title", "Text", QString::number(QMessageBox::Warning)}));
    QCOMPARE(seenButtons, shown);
    QVERIFY(!stuck);
    QCOMPARE(given, answer);
}

QTEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
