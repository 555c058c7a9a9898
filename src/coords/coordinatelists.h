#pragma once

// The seven coordinate lists of the main window seen as one position.

#include "coords/coordinates.h"

class QComboBox;
class frmMainUi;

namespace orrinet {

// The current selection of each list; noSelection where a list has none.
ListPositions selectedPositions(const frmMainUi &ui);

// Selects the entries the update carries and leaves the other lists alone; a
// position of noSelection clears that list's selection.
void selectPositions(frmMainUi &ui, const ListUpdate &update);

// Makes each list's selection agree with the text it shows: a typed item text
// selects that item. Returns the first list whose text is no item of it (or
// that has no selection), nullptr when every list shows a selected item.
QComboBox *unlistedCoordinate(frmMainUi &ui);

} // namespace orrinet
