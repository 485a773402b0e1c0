// The main window's progress caption in the user's language.

#include "app/orvel_gui_model.h"

#include <gtest/gtest.h>

#include <string>

#include "core/lang.h"

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

TEST(OrvelProgressCaption, TheCopyCaptionFollowsTheLanguage) {
    set_user_language_for_tests(9);
    EXPECT_EQ(text(progressCaption(u"kopiere b.jpg")), u"Copying b.jpg");
    EXPECT_EQ(text(progressCaption(u"")), u"");
    EXPECT_EQ(text(progressCaption(nullptr)), u"");
    EXPECT_EQ(text(progressCaption(u"kopier")), u"kopier");
    set_user_language_for_tests(lang_german);
    EXPECT_EQ(text(progressCaption(u"kopiere b.jpg")), u"kopiere b.jpg");
    set_user_language_for_tests(-1);
}

} // namespace
