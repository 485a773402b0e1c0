#pragma once
// The platform's small dialogs and desktop queries that views need beside their widgets: a
// question with OK and Cancel, a message, the warning sound, the pointer's screen position.

#include "core/str.h"
#include "toolkit/platform_types.h"

namespace vwin {

class vWidget;

enum class dialog_icon { question, warning, information };

// Asks `text` under `title` with OK and Cancel; true for OK. With `okIsDefault` Return answers
// OK, else Cancel; Escape always answers Cancel.
bool askOkCancel(vWidget* owner, const str& title, const str& text, bool okIsDefault,
                 dialog_icon icon);
// Shows `text` under `title` with an OK button, until it is closed.
void tellUser(vWidget* owner, const str& title, const str& text);
// The warning sound (an input that was not taken).
void warningBeep();
// Where the pointer is, in screen coordinates.
POINT pointerPosition();

} // namespace vwin
