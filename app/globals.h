#pragma once
// The program's process-wide objects. They are built before the program entry runs, in this
// order, and destroyed in reverse order after it returns:
//   1. the GDI+ session (kept for the life of the process)
//   2. "msimg32.dll", whose AlphaBlend the painters use
//   3. the link object SamsungComm (its construction starts the link worker)
//   4. the base title "Orvel <version>"
//   5. the button font: "Tahoma", 15, weight 75, quality 100
//   6-11. the tab-button images 116, 118, 119 (normal) and 125, 121, 122 (checked)
//   12. the text font: "tahoma", 12, weight 50, quality 100 (nothing uses it)
// Right after the images, the button font and the images become the shared look of the
// OrvelButtons (OrvelButton::setSharedLook); it returns to the built-in look before they go.
// Views never reach for the link here: each view takes the link as a constructor argument.

#include "core/str.h"
#include "link/samsung_comm.h"
#include "toolkit/orvel_button.h"
#include "toolkit/painter.h"

// The single link object.
SamsungComm& theLink();
// The window title whenever no progress is shown.
const str& orvelBaseTitle();
// The font of the OrvelButtons (owned here; buttons use its handle).
const vwin::vFont& orvelButtonFont();
// The six tab-button images.
OrvelButtonImages& orvelButtonImages();
// The second font of the program.
const vwin::vFont& orvelTextFont();
