#pragma once
// The toolbar's 16 x 16 pictures, drawn in code so that no image files have to ship.

#include <QIcon>

namespace quillon {

// The picture for a command number of the toolbar; a null icon for any other.
QIcon toolbarIcon(int commandId);

} // namespace quillon
