#pragma once

#include <QProxyStyle>

namespace orrinet {

// The panel's widget style: Fusion, except that the one icon the window asks
// for at start-up, the menu bar's extension arrow (shown only when the menus
// do not fit), is read from its file when it is first drawn. Read at once,
// its image file makes Qt load every image-format plugin it has (about
// 0.3 MiB resident, bench/ANALYSIS.md); the arrow looks the same either way.
class PanelStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    PanelStyle();

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

} // namespace orrinet
