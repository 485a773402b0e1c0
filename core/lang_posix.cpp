#include "core/lang.h"

#include <cstdlib>
#include <initializer_list>

int user_language_from_system();

int user_language_from_system() {
    // The first of the variables that is set and not empty names the locale of messages.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return language_of_locale(value);
    }
    return 0;
}
