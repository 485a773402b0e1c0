#pragma once
// What the Specials page shows of the phone's settings files, without any window: the five files
// it reads and in which order, the lines of the profiles and touch lists, and the background
// colours of the main-menu lines.

#include <cstdint>
#include <vector>

#include "core/str.h"
#include "phone/ini_file.h"

// The five files, in the order in which they are read: the three profile files come before the
// profiles list is built from them.
enum class special_file { accounts, wlan_profiles, access_points, nv_defaults, main_menu, none };

inline constexpr int special_file_count = 5;
// The phone path of a file ("/Registry/ProtoAccount.ini", ...); null for none.
const char16_t* specialFilePath(special_file which);
// The file in read order (0..4).
special_file specialFileAt(int index);
// Which of the five files a phone path names (letters A-Z in either case); none for any other.
special_file specialFileOf(const char16_t* path);

// The touch list: "KEY = value" for each entry of the section "NvId" whose key contains "TOUCH"
// (case-sensitive), in file order. Empty without that section.
std::vector<str> touchLines(const SamsungINIFile& nvDefaults);

// The profiles list: "KEY = name" for each entry of the access points' section "AccountHandle".
// The name is the "AccountName" of the account whose "AccountHandle" has the entry's value; only
// when no account has that handle, the "SSID" of the WLAN profile whose "ProtoHandle" has it;
// otherwise the handle itself.
std::vector<str> profileLines(const SamsungINIFile& accessPoints, const SamsungINIFile& accounts,
                              const SamsungINIFile& wlanProfiles);

// Background colours (0xRRGGBB) of the menu lines: entry (sections seen so far, the current line
// included) modulo 6. Lines above the first section line take the first colour.
inline constexpr std::uint32_t menu_section_colours[6] = {0xFFFFF0, 0xFFF0FF, 0xF0FFFF,
                                                          0xF0F0FF, 0xFFF0F0, 0xF0FFF0};

// Gives each line of a menu file its colour, in file order.
class menu_colouring {
public:
    std::uint32_t next(const str& line);
    int sections() const { return sections_; }

private:
    int sections_ = 0;
};

// Editing a menu line. A carriage return at the end of a line belongs to its CR LF ending: the
// edit field shows the line without it, and the edited text gets it back, so the line end of the
// file never changes.
str menuLineEditText(const str& line);
// The line an edit makes of `oldLine`, or false (line unchanged) when the text cannot be stored:
// a character above U+00FF has no byte in the file, and a line feed would split the line.
bool menuLineFromEdit(const str& oldLine, const str& edited, str& line);
