#include "core/lang_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "core/lang.h"

namespace {
bool has_slot(const char16_t* text) {
    return std::u16string(text).find(u"{}") != std::u16string::npos;
}
} // namespace

// A key without one of its forms would show an empty text in that language; a form that lost its
// "{}" would drop the name or number it should show.
TEST(LangTexts, EveryKeyHasBothFormsWithTheSameSlot) {
    for (int i = 0; i < ui_text_count; ++i) {
        const ui_text_forms forms = uiTextForms(static_cast<ui_text>(i));
        ASSERT_NE(forms.english, nullptr) << i;
        ASSERT_NE(forms.german, nullptr) << i;
        EXPECT_NE(forms.english[0], u'\0') << i;
        EXPECT_NE(forms.german[0], u'\0') << i;
        EXPECT_EQ(has_slot(forms.english), has_slot(forms.german)) << i;
    }
}

TEST(LangTexts, TheSlotTakesTheValueInTheUsersLanguage) {
    set_user_language_for_tests(lang_german);
    EXPECT_TRUE(uiTextWith(ui_text::delete_many, str(u"3")) ==
                u"3 Dateien vom Telefon l\u00f6schen?");
    set_user_language_for_tests(9);
    EXPECT_TRUE(uiTextWith(ui_text::delete_one, str(u"a.jpg")) == u"Delete a.jpg from the phone?");
    EXPECT_TRUE(uiTextWith(ui_text::save, str(u"x")) == u"Save");
    set_user_language_for_tests(-1);
}
