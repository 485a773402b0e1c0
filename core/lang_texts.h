#pragma once
// Every text the windows show, in English and German, in one table. A view asks for a text by its
// key; the form follows the user's language (see lang.h).

#include <initializer_list>

#include "core/str.h"

enum class ui_text : int {
    tab_devices,
    tab_browser,
    tab_java,
    tab_specials,
    auto_connect,
    devices_label,
    properties_label,
    not_connected,
    manufacturer,
    model,
    serial_number,
    product_name,
    firmware,
    battery,
    phone_number,
    folder_label,
    files_label,
    size_column,
    menu_copy,
    menu_delete,
    menu_refresh,
    picker_title,
    delete_one,  // "{}": the file's name
    delete_many, // "{}": the number of files
    profiles_label,
    touch_label,
    menu_label,
    save,
    copying, // "{}": the file's name
    // The strip along the bottom of the window. "{}" in order as the comments say.
    strip_cancel,
    caption_amount,    // "Copying b.jpg", done, total
    caption_rate,      // rate, time left
    files_one,         // the file's count (1)
    files_many,        // the count
    games_many,        // the count
    outcome_copied,    // files, size, seconds
    outcome_uploaded,  // files, size, seconds
    outcome_deleted,   // a name or "3 files"
    outcome_made,      // the folder
    outcome_saved,     // the file
    outcome_installed, // a game or "2 games"
    outcome_failed,    // what, the item, the reason
    outcome_cancelled, // what, the item
    outcome_more,      // further failures
    outcome_skipped,   // items left out
    outcome_list,      // after a text with a list of problems
    problems_title,
    what_copy,
    what_upload,
    what_delete,
    what_make,
    what_save,
    what_install,
    what_list,
    what_read,
    what_query,
    menu_new_folder,
    problems_more, // the count
    unsaved_title,
    unsaved_close,
    unsaved_connect,
    credit, // "{}": the program's name and version
    // The Devices view's line about the link; "{}": the port's name (or names).
    link_opening,
    link_connected,
    link_no_phone,
    link_open_failed,
    link_lost,
    link_no_ports,
    count_ // the number of texts; not a text
};

inline constexpr int ui_text_count = static_cast<int>(ui_text::count_);

// Both forms of one text.
struct ui_text_forms {
    const char16_t* english;
    const char16_t* german;
};

// The forms of a key (both empty for a value outside the table).
ui_text_forms uiTextForms(ui_text key);
// The text of a key in the user's language.
const char16_t* uiText(ui_text key);
// The text of a key with its "{}" replaced by `value` (the text unchanged when it has none).
str uiTextWith(ui_text key, const str& value);
// The text of a key with its "{}" marks replaced by the values in order (a mark without a value
// stays as it is).
str uiTextWith(ui_text key, std::initializer_list<str> values);
