#include "tools/phonesim/at_service.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace phonesim {

namespace {

struct Answer {
    const char* command;
    const char* text; // information line; empty for none
};

// The identity of the simulated phone. Some answers carry the "+WORD: " prefix of their command,
// some are plain, as on the real phone.
const Answer answers[] = {
    {"AT", ""},
    {"ATZ", ""},
    {"AT&F", ""},
    {"AT+CGMI", "SAMSUNG"},
    {"AT+GMI", "SAMSUNG"},
    {"AT+CGMM", "GT-S8500"},
    {"AT+GMM", "GT-S8500"},
    {"AT+CGMR", "S8500XXJL2"},
    {"AT+GMR", "S8500XXJL2"},
    {"AT+CGSN", "354789040123457"},
    {"AT+GSN", "354789040123457"},
    {"AT+PRODUCTCODE?", "+PRODUCTCODE: GT-S8500HKADBT"},
    {"AT+SWVER?", "+SWVER: S8500XXJL2"},
    {"AT+CBC", "+CBC: 0,80"},
    {"AT+CNUM", "+CNUM: \"Own number\",\"+491701234567\",145"},
    {"AT+CIMI", "262011234567890"},
    {"AT+CSQ", "+CSQ: 21,99"},
    {"ATI", "SAMSUNG GT-S8500"},
};

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

std::string AtService::answer(const std::string& line) {
    std::string out;
    if (echo_)
        out += line + "\r\n";
    const std::string command = upper(trim(line));
    bool known = false;
    std::string info;
    if (command == "ATE0" || command == "ATE1" || command == "ATE") {
        echo_ = command == "ATE1";
        known = true;
    } else {
        for (const Answer& entry : answers) {
            if (command == entry.command) {
                known = true;
                info = entry.text;
                break;
            }
        }
    }
    out += "\r\n";
    if (!known)
        return out + "ERROR\r\n";
    if (!info.empty())
        out += info + "\r\n\r\n";
    return out + "OK\r\n";
}

} // namespace phonesim
