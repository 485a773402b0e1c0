// The file browser's delete question, size texts and parent folders.

#include "app/folder_view_model.h"

#include <gtest/gtest.h>

#include <string>

#include "core/lang.h"

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

TEST(OrvelBrowserTexts, TheDeleteQuestionNamesTheFileOrTheCount) {
    set_user_language_for_tests(9);
    EXPECT_EQ(text(deleteQuestion({})), u"");
    EXPECT_EQ(text(deleteQuestion({str(u"b.jpg")})), u"Delete b.jpg from the phone?");
    EXPECT_EQ(text(deleteQuestion({str(u"a"), str(u"b"), str(u"c")})),
              u"Delete 3 files from the phone?");
    set_user_language_for_tests(lang_german);
    EXPECT_EQ(text(deleteQuestion({str(u"a"), str(u"b")})), u"2 Dateien vom Telefon l\u00f6schen?");
    set_user_language_for_tests(-1);
}

TEST(OrvelBrowserTexts, SizesRoundUpToKilobytesAndToTenthsOfMegabytes) {
    const struct {
        std::uint32_t bytes;
        const char16_t *english, *german;
    } cases[] = {
        {0, u"0 B", u"0 B"},
        {1023, u"1023 B", u"1023 B"},
        {1024, u"1 KB", u"1 KB"},
        {1025, u"2 KB", u"2 KB"},
        {348160, u"340 KB", u"340 KB"},
        {1048575, u"1024 KB", u"1024 KB"},
        {1048576, u"1.0 MB", u"1,0 MB"},
        {1572864, u"1.5 MB", u"1,5 MB"},
        {4294967295u, u"4096.0 MB", u"4096,0 MB"},
    };
    for (const auto& c : cases) {
        set_user_language_for_tests(9);
        EXPECT_EQ(text(sizeText(c.bytes)), c.english) << c.bytes;
        set_user_language_for_tests(lang_german);
        EXPECT_EQ(text(sizeText(c.bytes)), c.german) << c.bytes;
    }
    set_user_language_for_tests(-1);
}

TEST(OrvelBrowserTexts, ParentFolders) {
    const struct {
        const char16_t *dir, *parent;
    } cases[] = {
        {u"/My Files/Pictures/", u"/My Files/"}, {u"/My Files/", u"/"}, {u"/", u""}, {u"", u""}};
    for (const auto& c : cases)
        EXPECT_EQ(text(parentFolder(str(c.dir))), c.parent) << text(str(c.dir)).size();
}

} // namespace
