#include <cstdlib>
#include <string>

#include "tools/phonesim/phonesim.h"

namespace phonesim {

namespace {

bool number_of(const std::string& text, unsigned& value) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
    return true;
}

} // namespace

bool parse_fault(const std::string& word, Faults& faults) {
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    if (equals == std::string::npos) {
        if (name == "noise")
            faults.noise = true;
        else if (name == "ack")
            faults.ack = true;
        else if (name == "hostile")
            faults.hostile = true;
        else if (name == "echo")
            faults.echo = true;
        else if (name == "endless")
            faults.endless = true;
        else if (name == "linebreak")
            faults.linebreak = true;
        else if (name == "fractal")
            faults.fractal = true;
        else if (name == "twins")
            faults.twins = true;
        else
            return false;
        return true;
    }
    unsigned value = 0;
    if (!number_of(word.substr(equals + 1), value) || value == 0)
        return false;
    if (name == "badcrc")
        faults.badcrc = value;
    else if (name == "lost")
        faults.lost = value;
    else if (name == "silent")
        faults.silent = value;
    else if (name == "slow")
        faults.slow_ms = value;
    else if (name == "oversize")
        faults.oversize = value;
    else if (name == "bigdir")
        faults.bigdir = value;
    else if (name == "late")
        faults.late = value;
    else if (name == "babble")
        faults.babble = value;
    else if (name == "bigchunk")
        faults.bigchunk = value;
    else if (name == "duplicate")
        faults.duplicate = value;
    else if (name == "miscount")
        faults.miscount = value;
    else if (name == "short")
        faults.cutshort = value;
    else if (name == "writefail")
        faults.writefail = value;
    else
        return false;
    return true;
}

} // namespace phonesim
