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
    for (const OrvelIdentityQuestion& question : identity_questions)
        if (str(question.command).equals(command))
            return &question;
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
    return l;
}
