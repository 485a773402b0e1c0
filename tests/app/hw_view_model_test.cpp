// How the Devices view shows the phone's identity answers.

#include "app/hw_view_model.h"

#include <gtest/gtest.h>

#include <string>

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
