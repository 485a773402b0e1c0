#pragma once
// The program's few settings that last from one start to the next (the folder last picked, say):
// named text values. On Windows they are values of the key HKEY_CURRENT_USER\Software\Orvel;
// elsewhere lines "name=value" of $XDG_CONFIG_HOME/orvel/settings (~/.config/orvel/settings).

#include "core/str.h"

// The value kept under `name`; empty when there is none or it cannot be read.
str readSetting(const char16_t* name);
// Keeps `value` under `name` (replacing an earlier one); false when it could not be written.
bool keepSetting(const char16_t* name, const str& value);
