#pragma once
// The program's colours, for every view: white panes, the light grey panels, the blue of text and
// selection, and the red of an error.

#include "toolkit/painter.h"

namespace orvel_color {

inline constexpr vwin::vColor white = 0xFFFFFF;
inline constexpr vwin::vColor blue = 0x157DCC;
inline constexpr vwin::vColor light_grey = 0xF0F0F0;
inline constexpr vwin::vColor dark_grey = 0x505050;
// An error line: dark red on a pale red ground.
inline constexpr vwin::vColor error_text = 0x9B1C1C;
inline constexpr vwin::vColor error_ground = 0xF8DADA;

} // namespace orvel_color
