#include "app/hw_view_model.h"

#include "core/lang.h"
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
    {u"Manufacturer:", u"Hersteller:", u"AT+CGMI\r"},
    {u"Modell:", u"Modell:", u"AT+CGMM\r"},
    {u"Serial Number:", u"Seriennummer:", u"AT+CGSN\r"},
    {u"Product Name:", u"Produktname:", u"AT+PRODUCTCODE?\r"},
    {u"Firmware:", u"Firmware:", u"AT+SWVER?\r"},
    {u"Battery Charge:", u"Batterieanzeige:", u"AT+CBC\r"},
    {u"Phone number:", u"Telefonnummer:", u"AT+CNUM\r"},
};

const char16_t* identityLabel(const OrvelIdentityQuestion& question) {
    return langText(question.english, question.german, lang_german);
}

str propertyRow(const char16_t* label, const char16_t* answer) {
    str row(label ? label : u"");
    row.append(answer ? answer : u"");
    return row;
}

str languageRow() {
    str row;
    row.format(langText(u"Language: %d", u"Sprache: %d", lang_german), user_language());
    return row;
}

const char16_t* devicesLabelText() {
    return langText(u"Devices:", u"Ger\u00e4te:", lang_german);
}

const char16_t* propertiesLabelText() {
    return langText(u"Properties:", u"Eigenschaften:", lang_german);
}

OrvelHWLayout hwViewLayout(int w, int h) {
    const int m = h / 2;
    OrvelHWLayout l;
    l.devicesLabel = {5, 5, w - 10, 20};
    l.portList = {5, 30, w - 10, m - 80};
    l.connectButton = {0, m - 40, 200, 25};
    l.propertiesLabel = {5, m - 5, w - 10, 20};
    l.propertiesList = {5, m + 20, w - 10, h - m - 20};
    return l;
}
