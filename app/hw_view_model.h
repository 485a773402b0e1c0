#pragma once
// The Devices view's parts that need no window: the port records of a discovery text, the
// identity questions asked after connecting, how their answers are shown, what the view says
// about the link, and the layout.

#include <deque>
#include <vector>

#include "app/orvel_gui_model.h"
#include "core/lang_texts.h"
#include "core/str.h"
#include "link/job_report.h"

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

// The question asked by that AT command (with or without its line end); null when none is.
const OrvelIdentityQuestion* identityQuestionOf(const char16_t* command);
// An answer as a person reads it (the answer is the phone's line after its "+WORD:"). An answer
// that does not have the expected form is shown as it came, without surrounding blanks.
str identityValue(identity_value kind, const char16_t* answer);
// The row of an answer: the label in the user's language (it ends in ": ") and the value.
str identityRow(const OrvelIdentityQuestion& question, const char16_t* answer);

// What the Devices view says about the link, from what the view did (opened a port, or failed
// to), the link's "disconnected" and the reports of the jobs. Used on the GUI thread only.
//
// Reports come in the order the jobs ran, and a connection's identity questions may still run
// after the next connection began; so each connection counts its own questions, oldest first,
// and only the newest one decides what is shown. Questions dropped unrun when the link was
// cleared never report: a connection opened while no job waits forgets the earlier ones, and a
// port closed before any answer came, after a question failed, had no phone behind it.
class OrvelLinkState {
public:
    enum class phase {
        not_connected,
        opening,     // the port is open, no identity question has been answered yet
        connected,   // a question was answered
        no_phone,    // the port opened but every identity question failed
        open_failed, // the port did not open (reason: the link's text)
        no_ports,    // Auto Connect with no port to try
        lost,        // a job found the phone gone (reason: the report's text)
    };

    // Our openPort succeeded ("connected"): `questions` identity questions follow. `jobsWaiting`:
    // jobs queued before are still waiting or running, so their reports may still come.
    void opened(const str& port, bool jobsWaiting, int questions = identity_question_count);
    // Our openPort failed; `reason` is the link's English text.
    void openFailed(const str& port, const str& reason);
    // Auto Connect found no port that opens: the ports tried (none: there was none to try) and
    // the reason of the last one.
    void noPortOpened(const std::vector<str>& tried, const str& lastReason);
    // The link said "disconnected".
    void disconnected();
    // A job of the link ended; `modelAnswer` is the answer the model question gave (used when
    // the report is that question's and says done).
    void jobFinished(const job_report& report, const str& modelAnswer = str());

    phase current() const { return phase_; }
    // The port named (the ports tried, for Auto Connect), and the model once answered.
    const str& port() const { return port_; }
    const str& model() const { return model_; }
    // The line shown, in the user's language; reasons from the link stay English.
    str text() const;

private:
    struct connection {
        str port;
        int remaining = 0; // identity reports still to come
        int failed = 0;
        int asked = 0;
    };
    static constexpr unsigned max_connections = 8; // older ones whose reports never came go

    void show(phase p, const str& port, const str& reason = str());

    phase phase_ = phase::not_connected;
    str port_;
    str model_;
    str reason_;
    std::deque<connection> connections_; // oldest first; the back one is the current
    bool current_open_ = false;          // the back connection is still open
    bool answered_ = false;              // a phone answered on the back connection
};

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
    OrvelRect stateLine; // right of the button: the line about the link
};
OrvelHWLayout hwViewLayout(int w, int h);
