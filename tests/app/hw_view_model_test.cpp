// How the Devices view shows the phone's identity answers.

#include "app/hw_view_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/lang.h"
#include "core/tokenizers.h"

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

// One thing that happens to the Devices view's line about the link.
struct link_event {
    enum op_t { open, open_fails, none_opens, disconnect, report } op;
    const char16_t* port = u""; // open, open_fails; none_opens: the ports tried, "|" between
    job_kind kind = job_kind::identity;
    job_end end = job_end::done;
    link_error error = link_error::none;
    const char16_t* path = u"AT+CGMI\r"; // a report's phone path (an identity's command)
    const char16_t* reason = u"";        // open_fails, none_opens, a report's reason
};

link_event opens(const char16_t* port) {
    return {link_event::open, port};
}
link_event dropped() {
    return {link_event::disconnect};
}
link_event answered(const char16_t* command = u"AT+CGMI\r") {
    return {link_event::report, u"", job_kind::identity, job_end::done, link_error::none, command};
}
link_event unanswered(link_error error = link_error::no_answer) {
    return {link_event::report, u"", job_kind::identity, job_end::failed, error};
}
link_event job(job_end end, link_error error, const char16_t* reason) {
    return {link_event::report, u"", job_kind::listing, end, error, u"/Music/", reason};
}

std::vector<link_event> times(int n, const link_event& e) {
    return std::vector<link_event>(static_cast<std::size_t>(n), e);
}

std::vector<link_event> then(std::vector<link_event> a, const std::vector<link_event>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

str stateAfter(const std::vector<link_event>& events) {
    OrvelLinkState state;
    for (const link_event& e : events) {
        switch (e.op) {
        case link_event::open:
            state.opened(str(e.port));
            break;
        case link_event::open_fails:
            state.openFailed(str(e.port), str(e.reason));
            break;
        case link_event::none_opens: {
            std::vector<str> tried;
            strtokens_var parts(u"|");
            const str ports(e.port);
            const int n = parts.tokenize(ports);
            for (int i = 0; i < n; ++i)
                if (!str(parts.item(i)).empty())
                    tried.emplace_back(parts.item(i));
            state.noPortOpened(tried, str(e.reason));
            break;
        }
        case link_event::disconnect:
            state.disconnected();
            break;
        case link_event::report: {
            job_report r;
            r.kind = e.kind;
            r.end = e.end;
            r.failure.error = e.error;
            r.phonePath = str(e.path);
            r.reason = str(e.reason);
            state.jobFinished(r, str(u" GT-S8500\r"));
            break;
        }
        }
    }
    return state.text();
}

TEST(OrvelLinkLine, SaysWhatBecameOfTheLink) {
    set_user_language_for_tests(9);
    const link_event model = answered(u"AT+CGMM\r");
    const auto seven = then({answered(), model}, times(5, answered()));
    const char16_t* silent = u"the phone did not answer";
    const struct {
        const char* what;
        std::vector<link_event> events;
        const char16_t* line;
    } cases[] = {
        {"nothing yet", {}, u"Not connected"},
        {"opened, no answer yet", {opens(u"COM5")}, u"Connecting to COM5 \u2026"},
        {"answered, model not yet", {opens(u"COM5"), answered()}, u"Connected to COM5"},
        {"the model answered", then({opens(u"COM5")}, seven), u"Connected to COM5 \u2014 GT-S8500"},
        {"every question failed", then({opens(u"COM5")}, times(7, unanswered())),
         u"No phone answered on COM5"},
        {"the port closed after the first failure",
         then({opens(u"COM5"), unanswered(), dropped()}, times(6, unanswered(link_error::no_port))),
         u"No phone answered on COM5"},
        {"one question answered: a phone is there",
         then({opens(u"COM5"), answered()}, times(6, unanswered(link_error::incomplete))),
         u"Connected to COM5"},
        {"unplugged: the report, then the port closed",
         then(then({opens(u"COM5")}, seven),
              {job(job_end::failed, link_error::no_answer, silent), dropped()}),
         u"Connection to COM5 lost: the phone did not answer"},
        {"unplugged: the port closed, then the report",
         then(then({opens(u"COM5")}, seven),
              {dropped(), job(job_end::failed, link_error::no_answer, silent)}),
         u"Connection to COM5 lost: the phone did not answer"},
        {"lost while answering the questions",
         then({opens(u"COM5"), answered(), unanswered()},
              times(5, unanswered(link_error::no_port))),
         u"Connection to COM5 lost"},
        {"a refusal keeps the connection",
         then(then({opens(u"COM5")}, seven), {job(job_end::failed, link_error::refused, u"no")}),
         u"Connected to COM5 \u2014 GT-S8500"},
        {"closed without a loss", then(then({opens(u"COM5")}, seven), {dropped()}),
         u"Not connected"},
        {"jobs after the loss do not change the reason",
         then(then({opens(u"COM5")}, seven),
              {job(job_end::failed, link_error::port_failed, u"the port failed: gone"), dropped(),
               job(job_end::failed, link_error::no_port, u"the port is not open")}),
         u"Connection to COM5 lost: the port failed: gone"},
        {"a port that does not open",
         {{link_event::open_fails, u"COM7", job_kind::other, job_end::failed, link_error::none, u"",
           u"port busy: another program is using it"}},
         u"COM7 did not open: port busy: another program is using it"},
        {"Auto Connect: none of two opens",
         {{link_event::none_opens, u"COM5|COM3", job_kind::other, job_end::failed, link_error::none,
           u"", u"not a serial port"}},
         u"No phone answered on COM5, COM3"},
        {"Auto Connect: the one port does not open",
         {{link_event::none_opens, u"COM5", job_kind::other, job_end::failed, link_error::none, u"",
           u"not a serial port"}},
         u"No phone answered on COM5: not a serial port"},
        {"Auto Connect without ports", {{link_event::none_opens}}, u"No port to connect to"},
        // The first port's questions run after the second port opened: they are its own.
        {"a second port while the first port's questions wait",
         then(then({opens(u"COM5"), dropped(), opens(u"COM6")}, times(7, unanswered())), seven),
         u"Connected to COM6 \u2014 GT-S8500"},
        {"the second port stays silent after the first answered",
         then(then({opens(u"COM5"), dropped(), opens(u"COM6")}, seven), times(7, unanswered())),
         u"No phone answered on COM6"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(stateAfter(c.events)), c.line) << c.what;

    set_user_language_for_tests(lang_german);
    EXPECT_EQ(text(stateAfter(then({opens(u"COM5")}, seven))),
              u"Verbunden mit COM5 \u2014 GT-S8500");
    EXPECT_EQ(text(stateAfter({})), u"Nicht verbunden");
    EXPECT_EQ(text(stateAfter(then({opens(u"COM5")}, times(7, unanswered())))),
              u"Kein Telefon antwortete an COM5");
    EXPECT_EQ(text(stateAfter(then(then({opens(u"COM5")}, seven),
                                   {job(job_end::failed, link_error::no_answer, silent)}))),
              u"Verbindung zu COM5 verloren: the phone did not answer");
    set_user_language_for_tests(-1);
}

} // namespace
