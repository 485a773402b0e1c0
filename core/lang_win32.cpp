#include <windows.h>

int user_language_from_system();

int user_language_from_system() {
    return PRIMARYLANGID(GetUserDefaultLangID());
}
