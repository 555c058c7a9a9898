#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace orrinet {

class PictureBox;

// Design places of the About window's controls, twips.
struct AboutDesign
{
    int label1Left = 120;
    int label1Top = 60;
    int label1Height = 552;
    int picture1Left = 180;
    int picture1Top = 720;
    int picture1Width = 2016;
    int picture1Height = 2988;
    int frame1Top = 840;
    int frame1Width = 3612;
    int frame1Height = 2412;
    int okWidth = 1212;
    int okHeight = 312;
};

// What the window works out from its design when it opens, twips. The
// window's size is its own geometry: it stands for the outer size, since the
// frame the window manager adds is not known beforehand.
struct AboutLayout
{
    int windowWidth = 0;
    int windowHeight = 0;
    int label1Width = 0;
    int frame1Left = 0;
    int line1X2 = 0;
    int line1Y = 0; // Y1 and Y2: the line is horizontal
    int okLeft = 0;
    int okTop = 0;
};

// The picture's left margin repeats between picture and frame and after the
// frame; the name spans the window; the OK button sits centred under a line
// below the picture.
AboutLayout layOutAbout(const AboutDesign &design);

} // namespace orrinet

// The About window: program name, picture, version and build date. Modal,
// fixed size, centred on the screen each time it is shown.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    // The layout worked out when the window was built.
    const orrinet::AboutLayout &layout() const { return m_layout; }

    QLabel *Label1 = nullptr;
    orrinet::PictureBox *Picture1 = nullptr;
    QFrame *Frame1 = nullptr;
    QLabel *VersionLabel = nullptr;
    QLabel *DateLabel = nullptr;
    QFrame *Line1 = nullptr;
    QPushButton *OkButton = nullptr;

    void OkButton_Click();

    void setVisible(bool visible) override;

private:
    void Form_Load();
    void centreOnScreen();

    orrinet::AboutDesign m_design;
    orrinet::AboutLayout m_layout;
};
