#pragma once

// The seven coordinate lists of the main window seen as one position.

#include "coords/coordinates.h"

class frmMainUi;

namespace orrinet {

// The current selection of each list; noSelection where a list has none.
ListPositions selectedPositions(const frmMainUi &ui);

// Selects the entries the update carries and leaves the other lists alone; a
// position of noSelection clears that list's selection.
void selectPositions(frmMainUi &ui, const ListUpdate &update);

} // namespace orrinet
