// The main window drawn on a real X server with the installed fonts: every
// caption fits its control, and the status bar's tool tip holds the whole
// status text while the bar keeps one line.

#include "app/formfont.h"
#include "support/panelfixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

using orrinet::testing::PanelFixture;

namespace {

enum class Measure { Advance, Ink };

int captionWidth(const QWidget *w, const QString &text, Measure measure)
{
    return measure == Measure::Ink ? w->fontMetrics().tightBoundingRect(text).width()
                                   : w->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

// Room for the caption inside the control, as the style draws it.
int captionRoom(const QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox *>(button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton *>(button))
        contents = QStyle::SE_RadioButtonContents;
    return button->style()->subElementRect(contents, &option, button).width();
}

QString clipped(const QWidget *w, const QString &text, int room, Measure measure = Measure::Advance)
{
    const int width = captionWidth(w, text, measure);
    return width > room ? QStringLiteral("%1 \"%2\" needs %3 px, has %4\n")
                              .arg(w->objectName(), text)
                              .arg(width)
                              .arg(room)
                        : QString();
}

} // namespace

class CaptionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formFontIsMetricCompatibleWithArial();
    void everyCaptionFitsItsControl();
    void statusToolTipHoldsWholeText();
};

void CaptionsTest::formFontIsMetricCompatibleWithArial()
{
    const QString family = QFontInfo(orrinet::formFont()).family();
    QVERIFY2(family == QLatin1String("Arial") || family == QLatin1String("Liberation Sans"),
             qPrintable(family));
}

void CaptionsTest::everyCaptionFitsItsControl()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QVERIFY(f.showActive());

    QString failures;
    for (const QLabel *label : f.window.findChildren<QLabel *>()) {
        if (label->isVisibleTo(&f.window) && label->textFormat() != Qt::RichText)
            failures += clipped(label, label->text(), label->contentsRect().width());
    }
    // The rate label shows each rate's caption in turn.
    for (const QString &rate : f.window.RateLabels)
        failures += clipped(f.window.LabelRate, rate, f.window.LabelRate->contentsRect().width());
    for (const QAbstractButton *button : f.window.findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(&f.window) && !button->text().isEmpty())
            failures += clipped(button, button->text(), captionRoom(button));
    }
    // The edit part of a list shows the chosen item, scrolled into view when
    // too wide (")0m"): its glyphs must stay 1 px clear of the edges.
    for (const QComboBox *box : f.window.findChildren<QComboBox *>()) {
        if (!box->isEditable() || !box->isVisibleTo(&f.window))
            continue;
        const int room = box->lineEdit()->contentsRect().width() - 2;
        for (int i = 0; i < box->count(); ++i)
            failures += clipped(box, box->itemText(i), room, Measure::Ink);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures));
}

void CaptionsTest::statusToolTipHoldsWholeText()
{
    PanelFixture f;
    QVERIFY(f.showActive());
    const QRect barBefore = f.window.StatusBar1->geometry();
    const QString text = QStringLiteral("<b>Connection lost</b> on com 1 - ") + QString(300, u'x') +
                         QStringLiteral(": Resource temporarily unavailable");
    f.window.setStatusText(text);

    const QPoint at = f.window.StatusBar1->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, f.window.StatusBar1->mapToGlobal(at));
    QApplication::sendEvent(f.window.StatusText, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    QCOMPARE(shown.toPlainText(), text);
    QCOMPARE(f.window.StatusBar1->geometry(), barBefore);
    QVERIFY(f.window.StatusText->height() < 2 * f.window.StatusText->fontMetrics().lineSpacing());
}

QTEST_MAIN(CaptionsTest)
#include "tst_captions_x11.moc"
