#pragma once

#include "app/program.h"
#include "platform/gadgets.h"

namespace morvel {

// An item of the "Ansicht" menu: show take 1, take 2 or the composite on the canvas, or turn
// the mask's overlay or the onion skin on or off. Only the canvas changes; the menu's check marks follow.
void ViewMenu(Program& state, MenuItem item);

}  // namespace morvel
