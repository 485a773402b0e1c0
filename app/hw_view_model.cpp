#include "app/hw_view_model.h"

#include "core/tokenizers.h"

std::vector<OrvelPortRecord> portRecords(const str& text) {
    std::vector<OrvelPortRecord> records;
    strtokens_var pieces(u":;");
    const int count = pieces.tokenize(text);
    for (int i = 0; i < count; i += 2) {
        OrvelPortRecord record{str(pieces.item(i)), str(pieces.item(i + 1))};
        if (!record.name.empty())
            records.push_back(std::move(record));
    }
    return records;
}

const OrvelIdentityQuestion identity_questions[identity_question_count] = {
    {ui_text::manufacturer, u"AT+CGMI\r", identity_value::plain},
    {ui_text::model, u"AT+CGMM\r", identity_value::plain},
    {ui_text::serial_number, u"AT+CGSN\r", identity_value::plain},
    {ui_text::product_name, u"AT+PRODUCTCODE?\r", identity_value::plain},
    {ui_text::firmware, u"AT+SWVER?\r", identity_value::plain},
    {ui_text::battery, u"AT+CBC\r", identity_value::battery},
    {ui_text::phone_number, u"AT+CNUM\r", identity_value::number},
};

const OrvelIdentityQuestion* identityQuestionOf(const char16_t* command) {
    // With or without its line end: job reports name the command as a person reads it.
    const str wanted(command ? command : u"");
    for (const OrvelIdentityQuestion& question : identity_questions) {
        const str own(question.command);
        if (own == wanted || (own.length() == wanted.length() + 1 &&
                              own.compare(wanted.c_str(), true, wanted.length()) == 0))
            return &question;
    }
    return nullptr;
}

namespace {

bool is_blank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The text without blanks at either end.
str trimmed(const str& text) {
    int from = 0, to = text.length();
    while (from < to && is_blank(text[from]))
        ++from;
    while (to > from && is_blank(text[to - 1]))
        --to;
    return str(text.substr(from, to - from));
}

// The comma-separated fields of an answer, each trimmed and without its quotes.
std::vector<str> fields(const str& answer) {
    std::vector<str> out;
    str field;
    bool quoted = false;
    for (int i = 0; i <= answer.length(); ++i) {
        const char16_t c = i < answer.length() ? answer[i] : u',';
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (c == u',' && !quoted) {
            out.push_back(trimmed(field));
            field.clear();
            continue;
        }
        field.append(c);
    }
    return out;
}

bool all_digits(const str& text) {
    if (text.empty())
        return false;
    for (int i = 0; i < text.length(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}

} // namespace

str identityValue(identity_value kind, const char16_t* answer) {
    const str raw = trimmed(str(answer ? answer : u""));
    const std::vector<str> parts = fields(raw);
    switch (kind) {
    case identity_value::battery:
        // The second field is the charge in percent (0..100).
        if (parts.size() == 2 && all_digits(parts[1]) && parts[1].length() <= 3) {
            str shown(parts[1]);
            shown.append(u" %");
            return shown;
        }
        break;
    case identity_value::number:
        // The second field is the number: digits, perhaps after a "+".
        if (parts.size() >= 2 && !parts[1].empty() &&
            all_digits(str(parts[1].substr(parts[1][0] == u'+' ? 1 : 0))))
            return str(parts[1]);
        break;
    case identity_value::plain:
        break;
    }
    return raw;
}

str identityRow(const OrvelIdentityQuestion& question, const char16_t* answer) {
    str row(uiText(question.label));
    row.append(identityValue(question.value, answer));
    return row;
}

OrvelHWLayout hwViewLayout(int w, int h) {
    const int m = h / 2;
    OrvelHWLayout l;
    l.devicesLabel = {5, 5, w - 10, 20};
    l.portList = {5, 30, w - 10, m - 80};
    l.connectButton = {5, m - 40, 200, 25};
    l.propertiesLabel = {5, m - 5, w - 10, 20};
    l.propertiesList = {5, m + 20, w - 10, h - m - 20};
    // Two lines of text fit between the port list and the properties label.
    l.stateLine = {215, m - 46, w - 220, 36};
    return l;
}

void OrvelLinkState::show(phase p, const str& port, const str& reason) {
    phase_ = p;
    port_ = port;
    reason_ = reason;
}

void OrvelLinkState::opened(const str& port, bool jobsWaiting, int questions) {
    if (!jobsWaiting)
        connections_.clear();
    connections_.push_back(connection{port, questions, 0, questions});
    while (connections_.size() > max_connections)
        connections_.pop_front();
    current_open_ = true;
    answered_ = questions == 0;
    model_.clear();
    show(questions > 0 ? phase::opening : phase::connected, port);
}

void OrvelLinkState::openFailed(const str& port, const str& reason) {
    current_open_ = false;
    answered_ = false;
    model_.clear();
    show(phase::open_failed, port, reason);
}

void OrvelLinkState::noPortOpened(const std::vector<str>& tried, const str& lastReason) {
    current_open_ = false;
    answered_ = false;
    model_.clear();
    if (tried.empty()) {
        show(phase::no_ports, str());
        return;
    }
    str ports;
    for (const str& port : tried) {
        if (!ports.empty())
            ports.append(u", ");
        ports.append(port);
    }
    // One port tried: its reason says more than the count of ports could.
    show(phase::no_phone, ports, tried.size() == 1 ? lastReason : str());
}

void OrvelLinkState::disconnected() {
    current_open_ = false;
    // Closed after a question failed and before any was answered: no phone is there (the other
    // questions may have been dropped with the waiting jobs).
    if (phase_ == phase::opening && !answered_ && !connections_.empty() &&
        connections_.back().failed > 0) {
        model_.clear();
        show(phase::no_phone, connections_.back().port);
        return;
    }
    // A phone found missing, or no phone at all, stays said; a closed connection is no more.
    if (phase_ == phase::opening || phase_ == phase::connected) {
        model_.clear();
        show(phase::not_connected, port_);
    }
}

void OrvelLinkState::jobFinished(const job_report& report, const str& modelAnswer) {
    // The phone stopped answering or the port went away (not: a job that found the port closed,
    // which follows from an earlier loss). It counts once a phone had answered on the current
    // connection, whether the port has been closed for it already or not.
    const bool gone =
        report.end == job_end::failed && (report.failure.error == link_error::no_answer ||
                                          report.failure.error == link_error::port_failed);
    const bool live = answered_ && (phase_ == phase::connected || phase_ == phase::not_connected);
    if (report.kind != job_kind::identity) {
        if (gone && live && !connections_.empty())
            show(phase::lost, connections_.back().port, report.reason);
        return;
    }
    while (!connections_.empty() && connections_.front().remaining <= 0)
        connections_.pop_front();
    if (connections_.empty())
        return; // a question of no connection we know of
    connection& asked = connections_.front();
    --asked.remaining;
    if (report.end != job_end::done)
        ++asked.failed;
    const bool current = connections_.size() == 1;
    const bool allFailed = asked.failed == asked.asked;
    const str port = asked.port;
    if (asked.remaining <= 0 && !current)
        connections_.pop_front();
    if (!current)
        return; // an earlier connection's question
    if (allFailed) {
        model_.clear();
        show(phase::no_phone, port);
        return;
    }
    if (report.end != job_end::done) {
        if (gone && live)
            show(phase::lost, port, report.reason);
        return;
    }
    answered_ = true;
    if (!current_open_)
        return; // answered before the port closed: what closed it decides what is said
    if (phase_ == phase::opening)
        show(phase::connected, port);
    const OrvelIdentityQuestion* question = identityQuestionOf(report.phonePath.c_str());
    if (question && question->label == ui_text::model && phase_ == phase::connected)
        model_ = identityValue(identity_value::plain, modelAnswer.c_str());
}

str OrvelLinkState::text() const {
    str line;
    switch (phase_) {
    case phase::not_connected:
        return str(uiText(ui_text::not_connected));
    case phase::opening:
        return uiTextWith(ui_text::link_opening, port_);
    case phase::connected:
        line = uiTextWith(ui_text::link_connected, port_);
        if (!model_.empty()) {
            line.append(u" \u2014 ");
            line.append(model_);
        }
        return line;
    case phase::no_phone:
        line = uiTextWith(ui_text::link_no_phone, port_);
        break;
    case phase::open_failed:
        line = uiTextWith(ui_text::link_open_failed, port_);
        break;
    case phase::no_ports:
        return str(uiText(ui_text::link_no_ports));
    case phase::lost:
        line = uiTextWith(ui_text::link_lost, port_);
        break;
    }
    if (!reason_.empty()) {
        line.append(u": ");
        line.append(reason_);
    }
    return line;
}
