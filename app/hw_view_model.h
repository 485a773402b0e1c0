#pragma once
// The Devices view's parts that need no window: the port records of a discovery text, the
// identity questions asked after connecting, the texts by language and the layout.

#include <vector>

#include "app/orvel_gui_model.h"
#include "core/str.h"

// One name/port pair of a discovery text.
struct OrvelPortRecord {
    str name;
    str port;
};

// The pairs of a discovery text (name ":" port ";" ...), split at ":" and ";" and taken two
// pieces at a time; a pair whose name is empty is left out, one whose port is empty is kept.
std::vector<OrvelPortRecord> portRecords(const str& text);

// An identity question: its label in English and German and the AT command that asks it.
struct OrvelIdentityQuestion {
    const char16_t* english;
    const char16_t* german;
    const char16_t* command;
};

inline constexpr int identity_question_count = 7;
// In the order in which they are queued.
extern const OrvelIdentityQuestion identity_questions[identity_question_count];

// A question's label in the user's language.
const char16_t* identityLabel(const OrvelIdentityQuestion& question);
// The row text of an answer: the label immediately followed by the answer.
str propertyRow(const char16_t* label, const char16_t* answer);
// "Language: %d" or, in German, "Sprache: %d" with the user's primary language number.
str languageRow();
// "Devices:" / "Geräte:" and "Properties:" / "Eigenschaften:".
const char16_t* devicesLabelText();
const char16_t* propertiesLabelText();

// Row heights of the two lists.
inline constexpr int port_row_height = 25;
inline constexpr int property_row_height = 20;

// The children of a Devices view with the client size w x h.
struct OrvelHWLayout {
    OrvelRect devicesLabel;
    OrvelRect portList;
    OrvelRect connectButton;
    OrvelRect propertiesLabel;
    OrvelRect propertiesList;
};
OrvelHWLayout hwViewLayout(int w, int h);
