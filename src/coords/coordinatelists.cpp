#include "coords/coordinatelists.h"

#include "app/frmMain_ui.h"

#include <QComboBox>

namespace orrinet {

namespace {

struct ListBinding
{
    QComboBox *frmMainUi::*box;
    int ListPositions::*position;
    std::optional<int> ListUpdate::*change;
};

constexpr std::array<ListBinding, 7> kListBindings{{
    {&frmMainUi::ComboRAh, &ListPositions::raH, &ListUpdate::raH},
    {&frmMainUi::ComboRAm, &ListPositions::raM, &ListUpdate::raM},
    {&frmMainUi::ComboRAs, &ListPositions::raS, &ListUpdate::raS},
    {&frmMainUi::ComboDECsign, &ListPositions::decSign, &ListUpdate::decSign},
    {&frmMainUi::ComboDECd, &ListPositions::decD, &ListUpdate::decD},
    {&frmMainUi::ComboDECm, &ListPositions::decM, &ListUpdate::decM},
    {&frmMainUi::ComboDECs, &ListPositions::decS, &ListUpdate::decS},
}};

} // namespace

ListPositions selectedPositions(const frmMainUi &ui)
{
    ListPositions positions;
    for (const ListBinding &binding : kListBindings)
        positions.*binding.position = (ui.*binding.box)->currentIndex();
    return positions;
}

void selectPositions(frmMainUi &ui, const ListUpdate &update)
{
    for (const ListBinding &binding : kListBindings) {
        if (const std::optional<int> &position = update.*binding.change)
            (ui.*binding.box)->setCurrentIndex(*position);
    }
}

QComboBox *unlistedCoordinate(frmMainUi &ui)
{
    for (const ListBinding &binding : kListBindings) {
        QComboBox *box = ui.*binding.box;
        const int listed = box->findText(box->currentText(), Qt::MatchFixedString);
        if (listed < 0)
            return box;
        box->setCurrentIndex(listed);
    }
    return nullptr;
}

} // namespace orrinet
