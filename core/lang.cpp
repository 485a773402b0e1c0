#include "core/lang.h"

#include <atomic>
#include <cstring>

int user_language_from_system(); // lang_win32.cpp / lang_posix.cpp

namespace {
std::atomic<int> cached_language{-1};
}

int user_language() {
    int language = cached_language.load(std::memory_order_relaxed);
    if (language < 0) {
        language = user_language_from_system();
        cached_language.store(language, std::memory_order_relaxed);
    }
    return language;
}

void set_user_language_for_tests(int language) {
    cached_language.store(language < 0 ? -1 : language, std::memory_order_relaxed);
}

int language_of_locale(const char* locale) {
    // The primary language numbers of the platform's language ids for the languages whose
    // locale names we may meet; anything else counts as neutral (0).
    static const struct {
        const char* code;
        int number;
    } table[] = {{"de", 7},  {"en", 9},  {"fr", 12}, {"it", 16}, {"es", 10}, {"nl", 19},
                 {"pl", 21}, {"ru", 25}, {"sv", 29}, {"tr", 31}, {"pt", 22}, {"cs", 5}};
    if (!locale || std::strlen(locale) < 2)
        return 0;
    for (const auto& entry : table) {
        if (std::strncmp(locale, entry.code, 2) == 0 &&
            (locale[2] == 0 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@'))
            return entry.number;
    }
    return 0;
}
