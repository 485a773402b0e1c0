// How the Devices view shows the phone's identity answers.

#include "app/hw_view_model.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/lang.h"

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

TEST(OrvelIdentity, AnswersAsAPersonReadsThem) {
    const struct {
        identity_value kind;
        const char16_t* answer;
        const char16_t* shown;
    } cases[] = {
        {identity_value::battery, u" 0,80", u"80 %"},
        {identity_value::battery, u" 1,100\r", u"100 %"},
        {identity_value::battery, u" 0,", u"0,"},         // no charge: as it came
        {identity_value::battery, u" 0,80,3", u"0,80,3"}, // not the expected form
        {identity_value::battery, u" 0,8a", u"0,8a"},
        {identity_value::number, u" \"Own number\",\"+491701234567\",145", u"+491701234567"},
        {identity_value::number, u" \"\",\"01701234567\",129", u"01701234567"},
        {identity_value::number, u" \"a,b\",\"+4917\",145", u"+4917"}, // a comma in the name
        {identity_value::number, u" \"Own number\",\"\",145", u"\"Own number\",\"\",145"},
        {identity_value::number, u"ERROR", u"ERROR"},
        {identity_value::plain, u"  GT-S8500 \r\n", u"GT-S8500"},
        {identity_value::plain, nullptr, u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(identityValue(c.kind, c.answer)), c.shown)
            << text(str(c.answer ? c.answer : u"(null)")).size();
}

TEST(OrvelIdentity, RowsAreFoundByTheirCommandAndLabelled) {
    set_user_language_for_tests(9);
    const OrvelIdentityQuestion* battery = identityQuestionOf(u"AT+CBC\r");
    ASSERT_NE(battery, nullptr);
    EXPECT_EQ(text(identityRow(*battery, u" 0,80")), u"Battery: 80 %");
    set_user_language_for_tests(lang_german);
    EXPECT_EQ(text(identityRow(*battery, u" 0,80")), u"Akku: 80 %");
    set_user_language_for_tests(-1);
    EXPECT_EQ(identityQuestionOf(u"AT+XYZ\r"), nullptr);
    for (const OrvelIdentityQuestion& question : identity_questions)
        EXPECT_EQ(identityQuestionOf(question.command), &question);
}

} // namespace

namespace {

// The line after a session told as words: "open:COM5" (the view opened it; "reopen:COM6" while
// jobs of the earlier connection still wait), "busy:COM7" (it did not open), "none:COM5,COM3" (Auto
// Connect opened none), "drop" (disconnected); identity reports "ok", "model" (the model question
// answered), "silent" (no answer), "closed" (the port was closed), "cut" (the answer did not end);
// other jobs "gone" (no answer), "refused", "after" (the port was closed). "7*silent" repeats a
// word.
str lineAfter(const std::string& session) {
    OrvelLinkState state;
    std::istringstream words(session);
    for (std::string word; words >> word;) {
        int times = 1;
        if (const auto star = word.find('*'); star != std::string::npos) {
            times = std::stoi(word.substr(0, star));
            word = word.substr(star + 1);
        }
        const auto colon = word.find(':');
        const str arg = str::from_utf8(colon == std::string::npos ? "" : word.c_str() + colon + 1);
        const std::string verb = word.substr(0, colon);
        for (int i = 0; i < times; ++i) {
            job_report r;
            r.kind = job_kind::identity;
            r.phonePath = str(verb == "model" ? u"AT+CGMM\r" : u"AT+CGMI\r");
            r.end = job_end::failed;
            const std::map<std::string, link_error> failures{
                {"silent", link_error::no_answer}, {"closed", link_error::no_port},
                {"cut", link_error::incomplete},   {"gone", link_error::no_answer},
                {"refused", link_error::refused},  {"after", link_error::no_port}};
            if (verb == "open" || verb == "reopen") {
                state.opened(arg, verb == "reopen");
            } else if (verb == "busy") {
                state.openFailed(arg, str(u"port busy"));
            } else if (verb == "none") {
                std::vector<str> tried;
                for (int from = 0, to; from < arg.length(); from = to + 1) {
                    to = arg.find(u',', from);
                    to = to < 0 ? arg.length() : to;
                    tried.emplace_back(arg.substr(from, to - from));
                }
                state.noPortOpened(tried, str(u"not a serial port"));
            } else if (verb == "drop") {
                state.disconnected();
            } else {
                if (verb == "ok" || verb == "model")
                    r.end = job_end::done;
                else
                    r.failure.error = failures.at(verb);
                if (verb == "gone" || verb == "refused" || verb == "after")
                    r.kind = job_kind::listing;
                r.reason = str::from_utf8(verb.c_str());
                state.jobFinished(r, str(u" GT-S8500\r"));
            }
        }
    }
    return state.text();
}

TEST(OrvelLinkLine, SaysWhatBecameOfTheLink) {
    set_user_language_for_tests(9);
    const struct {
        const char* session;
        const char16_t* line;
    } cases[] = {
        {"", u"Not connected"},
        {"open:COM5", u"Connecting to COM5 \u2026"},
        {"open:COM5 ok model 5*ok", u"Connected to COM5 \u2014 GT-S8500"},
        {"open:COM5 7*silent", u"No phone answered on COM5"},
        // The port is closed after the first lost answer; the other questions find it closed,
        // or were dropped with the waiting jobs.
        {"open:COM5 silent drop 6*closed", u"No phone answered on COM5"},
        {"open:COM5 silent drop", u"No phone answered on COM5"},
        {"open:COM5 silent drop open:COM6 ok", u"Connected to COM6"},
        {"open:COM5 ok 6*cut", u"Connected to COM5"},
        // A phone unplugged: the report and the close in either order; later jobs change nothing.
        {"open:COM5 7*ok gone drop after", u"Connection to COM5 lost: gone"},
        {"open:COM5 7*ok drop gone", u"Connection to COM5 lost: gone"},
        {"open:COM5 ok silent drop 5*closed", u"Connection to COM5 lost: silent"},
        {"open:COM5 7*ok refused", u"Connected to COM5"},
        {"open:COM5 7*ok drop", u"Not connected"},
        {"busy:COM7", u"COM7 did not open: port busy"},
        {"none:COM5,COM3", u"No phone answered on COM5, COM3"},
        {"none:COM5", u"No phone answered on COM5: not a serial port"},
        {"none:", u"No port to connect to"},
        // The first port's questions still run once the second port is open: they are its own.
        {"open:COM5 drop reopen:COM6 7*silent ok model 5*ok", u"Connected to COM6 \u2014 GT-S8500"},
        {"open:COM5 drop reopen:COM6 7*ok 7*silent", u"No phone answered on COM6"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(lineAfter(c.session)), c.line) << c.session;

    set_user_language_for_tests(lang_german);
    EXPECT_EQ(text(lineAfter("open:COM5 7*silent")), u"Kein Telefon antwortete an COM5");
    EXPECT_EQ(text(lineAfter("open:COM5 7*ok gone")), u"Verbindung zu COM5 verloren: gone");
    set_user_language_for_tests(-1);
}

} // namespace
