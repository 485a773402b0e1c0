#pragma once
// PC file steps of a safe download: move a finished temporary file over its target, or drop it;
// names that are no file on this PC.

#include "core/str.h"

// Renames from over to, replacing an existing file; false when the move failed.
bool replace_pc_file(const str& from, const str& to);
// Deletes the file; false when it could not be deleted.
bool remove_pc_file(const str& name);
// Whether the PC takes this single name for a device rather than a file in its folder (on
// Windows CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, also before an extension).
bool pc_device_name(const str& name);
// Whether the PC would store a file of this single name under another name (Windows drops
// trailing dots and blanks, so "a." would replace "a").
bool pc_name_altered(const str& name);
