#pragma once
// The Devices view's parts that need no window: the port records of a discovery text, the
// identity questions asked after connecting, how their answers are shown, and the layout.

#include <vector>

#include "app/orvel_gui_model.h"
#include "core/lang_texts.h"
#include "core/str.h"

// One name/port pair of a discovery text.
struct OrvelPortRecord {
    str name;
    str port;
};

// The pairs of a discovery text (name ":" port ";" ...), split at ":" and ";" and taken two
// pieces at a time; a pair whose name is empty is left out, one whose port is empty is kept.
std::vector<OrvelPortRecord> portRecords(const str& text);

// How an identity answer is shown.
enum class identity_value {
    plain,   // the answer without surrounding blanks
    battery, // "+CBC: <state>,<charge>": the charge as a percentage, "80 %"
    number,  // "+CNUM: <name>,<number>,<type>": the number, "+491701234567"
};

// An identity question: its label, the AT command that asks it and how its answer is shown.
struct OrvelIdentityQuestion {
    ui_text label;
    const char16_t* command;
    identity_value value;
};

inline constexpr int identity_question_count = 7;
// In the order in which they are queued.
extern const OrvelIdentityQuestion identity_questions[identity_question_count];

// The question asked by that AT command; null when none is.
const OrvelIdentityQuestion* identityQuestionOf(const char16_t* command);
// An answer as a person reads it (the answer is the phone's line after its "+WORD:"). An answer
// that does not have the expected form is shown as it came, without surrounding blanks.
str identityValue(identity_value kind, const char16_t* answer);
// The row of an answer: the label in the user's language (it ends in ": ") and the value.
str identityRow(const OrvelIdentityQuestion& question, const char16_t* answer);

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
