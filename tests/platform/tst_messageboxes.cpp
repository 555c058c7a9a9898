#include "platform/messageboxbuttons.h"
#include "platform/qtmessageboxes.h"
#include "platform/scriptedmessageboxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace orrinet;

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;
using Icon = MessageBoxes::Icon;

namespace {

// What the user did with the box and what the box looked like.
struct Seen
{
    bool found = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons shown;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

QMessageBox *openBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

} // namespace

class tst_MessageBoxes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void qtBoxes_data();
    void qtBoxes();
    void scriptedAnswersInOrder();
    void unscriptedAnswerIsTheCloseAnswer_data();
    void unscriptedAnswerIsTheCloseAnswer();
};

void tst_MessageBoxes::qtBoxes_data()
{
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<Icon>("icon");
    QTest::addColumn<QString>("action"); // a button's text, "close", "escape" or "return"
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QMessageBox::StandardButtons>("shown");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");

    const QMessageBox::StandardButtons ync =
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const QMessageBox::StandardButtons yn = QMessageBox::Yes | QMessageBox::No;
    const QMessageBox::StandardButtons oc = QMessageBox::Ok | QMessageBox::Cancel;
    const QMessageBox::StandardButtons ok = QMessageBox::Ok;

    QTest::newRow("YesNoCancel Yes") << Buttons::YesNoCancel << Icon::Question << "yes"
                                     << Answer::Yes << ync << QMessageBox::Yes;
    QTest::newRow("YesNoCancel No")
        << Buttons::YesNoCancel << Icon::Question << "no" << Answer::No << ync << QMessageBox::Yes;
    QTest::newRow("YesNoCancel Cancel") << Buttons::YesNoCancel << Icon::Question << "cancel"
                                        << Answer::Cancel << ync << QMessageBox::Yes;
    QTest::newRow("YesNoCancel closed") << Buttons::YesNoCancel << Icon::Question << "close"
                                        << Answer::Cancel << ync << QMessageBox::Yes;
    QTest::newRow("YesNoCancel Escape") << Buttons::YesNoCancel << Icon::Warning << "escape"
                                        << Answer::Cancel << ync << QMessageBox::Yes;
    QTest::newRow("YesNoCancel Return") << Buttons::YesNoCancel << Icon::Question << "return"
                                        << Answer::Yes << ync << QMessageBox::Yes;
    QTest::newRow("YesNo Yes") << Buttons::YesNo << Icon::Question << "yes" << Answer::Yes << yn
                               << QMessageBox::Yes;
    QTest::newRow("YesNo No") << Buttons::YesNo << Icon::Critical << "no" << Answer::No << yn
                              << QMessageBox::Yes;
    QTest::newRow("YesNo closed") << Buttons::YesNo << Icon::Question << "close" << Answer::No << yn
                                  << QMessageBox::Yes;
    QTest::newRow("YesNo Return") << Buttons::YesNo << Icon::Question << "return" << Answer::Yes
                                  << yn << QMessageBox::Yes;
    QTest::newRow("OkCancel Ok") << Buttons::OkCancel << Icon::Information << "ok" << Answer::Ok
                                 << oc << QMessageBox::Ok;
    QTest::newRow("OkCancel closed")
        << Buttons::OkCancel << Icon::Warning << "close" << Answer::Cancel << oc << QMessageBox::Ok;
    QTest::newRow("OkCancel Return")
        << Buttons::OkCancel << Icon::Warning << "return" << Answer::Ok << oc << QMessageBox::Ok;
    QTest::newRow("Ok Ok") << Buttons::Ok << Icon::Information << "ok" << Answer::Ok << ok
                           << QMessageBox::Ok;
    QTest::newRow("Ok closed") << Buttons::Ok << Icon::Information << "close" << Answer::Ok << ok
                               << QMessageBox::Ok;
}

void tst_MessageBoxes::qtBoxes()
{
    QFETCH(Buttons, buttons);
    QFETCH(Icon, icon);
    QFETCH(QString, action);
    QFETCH(Answer, answer);
    QFETCH(QMessageBox::StandardButtons, shown);
    QFETCH(QMessageBox::StandardButton, defaultButton);

    const struct
    {
        Icon icon;
        QMessageBox::Icon kind;
    } kinds[] = {{Icon::Question, QMessageBox::Question},
                 {Icon::Warning, QMessageBox::Warning},
                 {Icon::Critical, QMessageBox::Critical},
                 {Icon::Information, QMessageBox::Information}};
    QMessageBox::Icon kind = QMessageBox::NoIcon;
    for (const auto &entry : kinds) {
        if (entry.icon == icon)
            kind = entry.kind;
    }

    Seen seen;
    // Acts on the box once its modal loop runs.
    QTimer::singleShot(0, this, [&] {
        QMessageBox *box = openBox();
        if (!box)
            return;
        seen = {true,        box->windowTitle(),     box->text(),
                box->icon(), box->standardButtons(), box->standardButton(box->defaultButton())};
        if (action == QLatin1String("close")) {
            box->close();
        } else if (action == QLatin1String("escape")) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else if (action == QLatin1String("return")) {
            QTest::keyClick(box, Qt::Key_Return);
        } else {
            for (QAbstractButton *button : box->buttons()) {
                if (button->text().remove(QLatin1Char('&')).compare(action, Qt::CaseInsensitive) ==
                    0)
                    button->click();
            }
        }
    });

    // A box that ignores the action would block the test: end it by force.
    bool stuck = false;
    QTimer::singleShot(3000, this, [&] {
        if (QMessageBox *box = openBox()) {
            stuck = true;
            box->done(0);
        }
    });

    QWidget parent;
    QtMessageBoxes boxes;
    const Answer given = boxes.ask(&parent, QStringLiteral("Orrinet - Exit / Save"),
                                   QStringLiteral("Exit and Save current settings"), buttons, icon);
    QVERIFY(seen.found);
    QVERIFY2(!stuck, "the box ignored the action");
    QCOMPARE(given, answer);
    QCOMPARE(seen.title, QString("Orrinet - Exit / Save"));
    QCOMPARE(seen.text, QString("Exit and Save current settings"));
    QCOMPARE(seen.icon, kind);
    QCOMPARE(seen.shown, shown);
    QCOMPARE(seen.defaultButton, defaultButton);
    QVERIFY(!openBox());
}

void tst_MessageBoxes::scriptedAnswersInOrder()
{
    ScriptedMessageBoxes boxes;
    boxes.enqueue(Answer::No);
    boxes.enqueue(Answer::Yes);
    QCOMPARE(boxes.pending(), 2);

    QWidget parent;
    QCOMPARE(boxes.ask(&parent, "Orrinet - Remove", "Remove all registry entires for Orrinet",
                       Buttons::YesNo, Icon::Question),
             Answer::No);
    QCOMPARE(boxes.ask(nullptr, "T2", "text 2", Buttons::YesNoCancel, Icon::Warning), Answer::Yes);
    QCOMPARE(boxes.ask(nullptr, "T3", "text 3", Buttons::YesNoCancel, Icon::Question),
             Answer::Cancel);

    QCOMPARE(boxes.pending(), 0);
    QCOMPARE(boxes.calls().size(), std::size_t(3));
    const ScriptedMessageBoxes::Call &first = boxes.calls().front();
    QCOMPARE(first.parent, &parent);
    QCOMPARE(first.title, QString("Orrinet - Remove"));
    QCOMPARE(first.text, QString("Remove all registry entires for Orrinet"));
    QCOMPARE(first.buttons, Buttons::YesNo);
    QCOMPARE(first.icon, Icon::Question);
    QVERIFY(first.scripted);
    QCOMPARE(boxes.calls().at(1).icon, Icon::Warning);
    QVERIFY(!boxes.calls().back().scripted);
    QCOMPARE(boxes.unscriptedCount(), 1);

    boxes.clear();
    QVERIFY(boxes.calls().empty());
}

void tst_MessageBoxes::unscriptedAnswerIsTheCloseAnswer_data()
{
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<Answer>("answer");

    QTest::newRow("YesNoCancel") << Buttons::YesNoCancel << Answer::Cancel;
    QTest::newRow("YesNo") << Buttons::YesNo << Answer::No;
    QTest::newRow("OkCancel") << Buttons::OkCancel << Answer::Cancel;
    QTest::newRow("Ok") << Buttons::Ok << Answer::Ok;
}

void tst_MessageBoxes::unscriptedAnswerIsTheCloseAnswer()
{
    QFETCH(Buttons, buttons);
    QFETCH(Answer, answer);

    ScriptedMessageBoxes boxes;
    QCOMPARE(boxes.ask(nullptr, "t", "x", buttons, Icon::Question), answer);
    QCOMPARE(closeAnswer(buttons), answer);
    QCOMPARE(boxes.unscriptedCount(), 1);
}

QTEST_MAIN(tst_MessageBoxes)
#include "tst_messageboxes.moc"
