#include "app/frmAbout.h"

#include "app/formfont.h"
#include "app/picturebox.h"
#include "app/twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace orrinet {

AboutLayout layOutAbout(const AboutDesign &design)
{
    AboutLayout layout;
    layout.windowWidth = design.frame1Width + design.picture1Width + 3 * design.picture1Left;
    layout.label1Width = layout.windowWidth - 2 * design.label1Left;
    layout.frame1Left = 2 * design.picture1Left + design.picture1Width;
    layout.line1X2 = layout.windowWidth;
    layout.line1Y = design.picture1Height + design.label1Height + 500;
    layout.okTop = layout.line1Y + 200;
    layout.okLeft = (layout.windowWidth - design.okWidth) / 2;
    layout.windowHeight = layout.okTop + design.okHeight + 600;
    return layout;
}

} // namespace orrinet

namespace {

constexpr quint32 Blue = 0x00FF0000;
constexpr quint32 LightBlue = 0x00FFC0C0;
constexpr int TitlePointSize = 18;

QLabel *centredLabel(const QString &text, QWidget *parent, const QString &name)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Orrinet"));
    setModal(true);
    setFont(orrinet::formFont());

    Label1 = centredLabel(QStringLiteral("Orrinet"), this, QStringLiteral("Label1"));
    QFont titleFont = orrinet::formFont(true, TitlePointSize);
    titleFont.setItalic(true);
    Label1->setFont(titleFont);
    QPalette titleColours = Label1->palette();
    titleColours.setColor(QPalette::WindowText, orrinet::colorFromBgr(Blue));
    titleColours.setColor(QPalette::Window, orrinet::colorFromBgr(LightBlue));
    Label1->setPalette(titleColours);
    Label1->setAutoFillBackground(true);

    Picture1 = new orrinet::PictureBox(orrinet::Art::Telescope, this);
    Picture1->setObjectName(QStringLiteral("Picture1"));

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::NoFrame);
    VersionLabel =
        centredLabel(QStringLiteral("Version 0.0"), Frame1, QStringLiteral("VersionLabel"));
    DateLabel = centredLabel(QStringLiteral("dd-mmm-yyy"), Frame1, QStringLiteral("DateLabel"));

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setLineWidth(1);
    QPalette lineColour = Line1->palette();
    lineColour.setColor(QPalette::WindowText, orrinet::colorFromBgr(Blue));
    Line1->setPalette(lineColour);

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &frmAbout::OkButton_Click);

    Form_Load();
}

void frmAbout::Form_Load()
{
    m_layout = orrinet::layOutAbout(m_design);
    const orrinet::AboutDesign &d = m_design;
    const orrinet::AboutLayout &l = m_layout;

    orrinet::place(Label1, d.label1Left, d.label1Top, l.label1Width, d.label1Height);
    orrinet::place(Picture1, d.picture1Left, d.picture1Top, d.picture1Width, d.picture1Height);
    orrinet::place(Frame1, l.frame1Left, d.frame1Top, d.frame1Width, d.frame1Height);
    orrinet::place(VersionLabel, 240, 180, 3012, 252);
    orrinet::place(DateLabel, 240, 480, 3012, 192);
    orrinet::place(OkButton, l.okLeft, l.okTop, d.okWidth, d.okHeight);

    const QRect line = orrinet::twipsRectToPixels(0, l.line1Y, l.line1X2, 0, this);
    Line1->setGeometry(line.x(), line.y(), line.width(), 1);

    setFixedSize(orrinet::twipsRectToPixels(0, 0, l.windowWidth, l.windowHeight, this).size());
}

void frmAbout::OkButton_Click()
{
    accept();
}

void frmAbout::setVisible(bool visible)
{
    if (visible && !isVisible())
        centreOnScreen();
    QDialog::setVisible(visible);
}

void frmAbout::centreOnScreen()
{
    const QScreen *where = screen();
    if (!where)
        return;
    // The frame's size is known only once the window has been shown before.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize outer = size().grownBy(frame);
    const QRect available = where->availableGeometry();
    move(available.x() + (available.width() - outer.width()) / 2,
         available.y() + (available.height() - outer.height()) / 2);
}
