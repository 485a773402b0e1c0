#include "core/lang.h"

#include <gtest/gtest.h>

TEST(Lang, LocaleNamesGiveTheirPrimaryLanguage) {
    const struct {
        const char* locale;
        int language;
    } cases[] = {{"de_DE.UTF-8", 7}, {"de", 7}, {"de_AT", 7}, {"en_US.UTF-8", 9}, {"C", 0},
                 {"POSIX", 0},       {"", 0},   {"dex", 0},   {"fr_FR@euro", 12}};
    for (const auto& c : cases)
        EXPECT_EQ(language_of_locale(c.locale), c.language) << c.locale;
    EXPECT_EQ(language_of_locale(nullptr), 0);
}

TEST(Lang, GermanTextOnlyForLanguageSeven) {
    set_user_language_for_tests(lang_german);
    EXPECT_STREQ(langText("Devices", "Geräte", lang_german), "Geräte");
    EXPECT_EQ(std::u16string(langText(u"Devices", u"Geräte", lang_german)), u"Geräte");
    set_user_language_for_tests(9);
    EXPECT_STREQ(langText("Devices", "Geräte", lang_german), "Devices");
    set_user_language_for_tests(-1);
    EXPECT_GE(user_language(), 0);
}
