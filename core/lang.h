#pragma once
// The user's language and the choice between a text's English and German forms.

// The language number whose texts have a German form.
inline constexpr int lang_german = 7;

// The primary language of the user's default language (the low 10 bits of its language id):
// 7 for German, 9 for English, ... Read once and kept for the life of the process.
int user_language();

// The German text when the user's primary language equals `language` (7), else the English one.
template <class Char> const Char* langText(const Char* english, const Char* german, int language) {
    return user_language() == language ? german : english;
}

// Replaces the language that user_language() answers (tests); a negative value reads it again.
void set_user_language_for_tests(int language);

// The primary language number of a POSIX locale name such as "de_DE.UTF-8" (7), "en_US" (9) or
// "C" (0). Exposed for tests.
int language_of_locale(const char* locale);
