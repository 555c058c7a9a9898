#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class QListWidget;

namespace orrinet {

// The key-map window's design size, twips.
inline constexpr int KeyMapDesignWidth = 2568;
inline constexpr int KeyMapDesignHeight = 2916;

// Where the key-map window opens, twips (x Left, y Top), from its stored
// geometry. Top and left are texts as stored; one that is not a number opens
// at the default 200. A width or height of 0 or less (or a width that is not
// a number) keeps the design size.
QRect keyMapPlacement(const QString &top, const QString &left, const QString &width, int height);

// The fixed lines of the key help list.
QStringList keyMapLines();

} // namespace orrinet

// The keyboard map: a small tool window listing the keys of the keyboard pad.
// The object lives as long as the main window; the window itself may be
// opened and closed any number of times and keeps its place and size in the
// four geometry members in between. The window's own geometry stands for its
// outer size, since the frame the window manager adds is not known.
class KeyMap : public QWidget
{
    Q_OBJECT

public:
    explicit KeyMap(QWidget *parent = nullptr);

    // Geometry to open with, twips; set at start-up from the stored settings.
    QString KeyMapTop = QStringLiteral("200");
    QString KeyMapLeft = QStringLiteral("200");
    QString KeyMapWidth = QStringLiteral("0");
    int KeyMapHeight = 0;

    QListWidget *List1 = nullptr;

    // Opens the window where the geometry members say, or only brings it to
    // the front when it is already open.
    void showWindow();
    bool isOpen() const;
    // Current geometry in twips (x Left, y Top) while open; otherwise the one
    // it would open with. Never shows the window.
    QRect geometryTwips() const;
    // Closes the window and keeps its geometry; nothing when it is not open.
    void closeWindow();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
};
