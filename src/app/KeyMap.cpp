#include "app/KeyMap.h"

#include "app/formfont.h"
#include "app/twips.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QListWidget>
#include <cmath>
#include <optional>

namespace orrinet {

namespace {

constexpr int DefaultTop = 200;
constexpr int DefaultLeft = 200;
// Stored texts beyond this many twips (some 11 metres) are not a place.
constexpr double LargestTwips = 1 << 24;

std::optional<int> twipsFromText(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > LargestTwips)
        return std::nullopt;
    return static_cast<int>(std::lround(value));
}

} // namespace

QRect keyMapPlacement(const QString &top, const QString &left, const QString &width, int height)
{
    const int y = twipsFromText(top).value_or(DefaultTop);
    const int x = twipsFromText(left).value_or(DefaultLeft);
    const int w = twipsFromText(width).value_or(0);
    return QRect(x, y, w > 0 ? w : KeyMapDesignWidth, height > 0 ? height : KeyMapDesignHeight);
}

QStringList keyMapLines()
{
    return {
        QStringLiteral("Arrow keys - Move N S E W"),
        QStringLiteral("End - Focus In"),
        QStringLiteral("Pg Dn - Focus Out"),
        QString(),
        QStringLiteral("F1 - Focus speed Fine"),
        QStringLiteral("F2 - Focus speed Slow"),
        QStringLiteral("F3 - Focus speed Medium"),
        QStringLiteral("F4 - Focus speed Fast"),
        QString(),
        QStringLiteral("F5 > F14 - Slew rates"),
        QString(),
        QStringLiteral("Home - Get RA/DEC"),
        QStringLiteral("Pg UP - Telescope Info."),
        QStringLiteral("Space - Halt goto!"),
    };
}

} // namespace orrinet

namespace {

constexpr quint32 ListRed = 0x000000DD;
constexpr int RowTwips = 195;

} // namespace

KeyMap::KeyMap(QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("KeyMap"));
    setWindowTitle(QStringLiteral("Keyboard Map"));
    // Closing the key map never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(orrinet::formFont());
    QPalette colours = List1->palette();
    colours.setColor(QPalette::Base, orrinet::colorFromBgr(ListRed));
    colours.setColor(QPalette::Text, Qt::black);
    List1->setPalette(colours);
    // Display only: nothing to select, nothing reacts.
    List1->setSelectionMode(QAbstractItemView::NoSelection);
    List1->setFocusPolicy(Qt::NoFocus);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows as tight as the design's, so all lines fit the design size.
    const int rowHeight = orrinet::twipsToPixelsY(RowTwips, this);
    const QFontMetrics metrics(List1->font());
    List1->setUniformItemSizes(true);
    for (const QString &line : orrinet::keyMapLines()) {
        auto *item = new QListWidgetItem(line, List1);
        item->setFlags(Qt::ItemIsEnabled);
        item->setSizeHint(
            QSize(metrics.horizontalAdvance(line) + 2 * metrics.averageCharWidth(), rowHeight));
    }

    resize(orrinet::twipsRectToPixels(0, 0, orrinet::KeyMapDesignWidth, orrinet::KeyMapDesignHeight,
                                      this)
               .size());
}

void KeyMap::showWindow()
{
    if (isOpen()) {
        raise();
        activateWindow();
        return;
    }
    Form_Load();
    show();
}

bool KeyMap::isOpen() const
{
    return isVisible();
}

QRect KeyMap::geometryTwips() const
{
    if (!isOpen())
        return orrinet::keyMapPlacement(KeyMapTop, KeyMapLeft, KeyMapWidth, KeyMapHeight);
    const QPoint at = pos(); // the frame's corner, as move() takes it
    return QRect(orrinet::pixelsToTwipsX(at.x(), this), orrinet::pixelsToTwipsY(at.y(), this),
                 orrinet::pixelsToTwipsX(width(), this), orrinet::pixelsToTwipsY(height(), this));
}

void KeyMap::closeWindow()
{
    if (isOpen())
        close();
}

void KeyMap::Form_Load()
{
    const QRect twips = orrinet::keyMapPlacement(KeyMapTop, KeyMapLeft, KeyMapWidth, KeyMapHeight);
    move(orrinet::twipsToPixelsX(twips.x(), this), orrinet::twipsToPixelsY(twips.y(), this));
    resize(orrinet::twipsToPixelsX(twips.width(), this),
           orrinet::twipsToPixelsY(twips.height(), this));
    Form_Resize();
}

void KeyMap::Form_Resize()
{
    // The list covers the window exactly, so its scroll bar and last lines
    // stay within reach however small the window is made.
    List1->setGeometry(rect());
}

void KeyMap::Form_Unload()
{
    const QRect twips = geometryTwips();
    KeyMapTop = QString::number(twips.y());
    KeyMapLeft = QString::number(twips.x());
    KeyMapWidth = QString::number(twips.width());
    KeyMapHeight = twips.height();
}

void KeyMap::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void KeyMap::closeEvent(QCloseEvent *event)
{
    if (isOpen())
        Form_Unload();
    event->accept();
}
