#include "app/folder_view_model.h"

#include "core/lang.h"
#include "core/lang_texts.h"

str deleteQuestion(const std::vector<str>& names) {
    if (names.empty())
        return str();
    if (names.size() == 1)
        return uiTextWith(ui_text::delete_one, names.front());
    str count;
    count.format(u"%u", static_cast<unsigned>(names.size()));
    return uiTextWith(ui_text::delete_many, count);
}

str sizeText(std::uint64_t bytes) {
    constexpr std::uint64_t kilo = 1024, mega = kilo * 1024;
    str text;
    if (bytes < kilo) {
        text.format(u"%u B", static_cast<unsigned>(bytes));
    } else if (bytes < mega) {
        text.format(u"%u KB", static_cast<unsigned>((bytes + kilo - 1) / kilo));
    } else {
        // Tenths of a megabyte, rounded to the nearest.
        const std::uint64_t tenths = (static_cast<std::uint64_t>(bytes) * 10 + mega / 2) / mega;
        const char16_t* pattern =
            langText(u"%u.%u MB", u"%u,%u MB", lang_german); // the decimal separator
        text.format(pattern, static_cast<unsigned>(tenths / 10),
                    static_cast<unsigned>(tenths % 10));
    }
    return text;
}

str parentFolder(const str& dir) {
    const int n = dir.length();
    if (n <= 1)
        return str();
    // The separator before the last component (the last character is the trailing "/").
    const int cut = dir.find_last_of(u'/', n - 2);
    if (cut < 0)
        return str();
    return str(dir.substr(0, cut + 1));
}
