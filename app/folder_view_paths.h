#pragma once
// The file browser's names and order, without windows: phone folder paths, the order of the rows,
// and where a file dropped from the PC lands on the phone.

#include <cstdint>

#include "core/str.h"
#include "link/samsung_protocol.h"

// Bit of a phone entry's attribute word that marks a folder.
inline constexpr std::uint32_t phone_folder_bit = SamsungDirEntry::directory_bit;

// A phone folder path in its normal form: "\" becomes "/" and one trailing "/" is ensured; ""
// stays "". "." and ".." keep their text: a phone path never names the PC's working folder.
str phone_dir(const char16_t* path);

// The path of the folder `name` inside the folder `dir` (which ends in "/"), ending in "/".
str phone_child_dir(const str& dir, const char16_t* name);

// The order of two rows: negative when row a comes first. Rows with the larger attribute word come
// first (compared as unsigned words, so no difference overflows); equal attribute words are in
// name order ignoring case.
int compare_rows(std::uint32_t attributesA, const str& nameA, std::uint32_t attributesB,
                 const str& nameB);

// The last component of a PC name: the text after its last "\" or "/" (the whole name without
// one); empty when the name ends in a separator.
str last_component(const str& pcName);

// The phone path for the PC file `pcName` dropped into the phone folder `dir`: the folder followed
// by the name's last component. Empty when the name has no last component or no folder is shown.
str drop_destination(const str& dir, const str& pcName);
