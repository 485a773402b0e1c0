#pragma once
// PC file steps of a safe download: move a finished temporary file over its target, or drop it.

#include "core/str.h"

// Renames from over to, replacing an existing file; false when the move failed.
bool replace_pc_file(const str& from, const str& to);
// Deletes the file; false when it could not be deleted.
bool remove_pc_file(const str& name);
