#include "tools/phonesim/cli_options.h"

#include <cstdlib>

namespace phonesim {

namespace {

bool parse_number(const std::string& text, unsigned max, unsigned& value) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long number = std::strtoul(text.c_str(), nullptr, 10);
    if (number == 0 || number > max)
        return false;
    value = static_cast<unsigned>(number);
    return true;
}

} // namespace

const char* usage_text() {
    return "usage: orvel-phonesim --root DIR [--link PATH] [--com-dir DIR] [--baud N]\n"
           "                      [--fault WORD]... [--connect PORT]\n"
           "       orvel-phonesim --version\n"
           "faults: noise, badcrc=N, lost=N, ack, silent=N, slow=MS, oversize=N, bigdir=N, "
           "hostile,\n        echo, late=N, babble=N, endless, bigchunk=N, linebreak, "
           "duplicate=N,\n"
           "        miscount=N, short=N, fractal, writefail=N,\n"
           "        twins\n";
}

CommandLine parse_command_line(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc && line.error.empty(); ++i) {
        const std::string option = argv[i];
        if (option != "--root" && option != "--link" && option != "--com-dir" &&
            option != "--baud" && option != "--fault" && option != "--connect") {
            line.error = "unknown option: " + option;
        } else if (i + 1 >= argc) {
            line.error = "missing value after " + option;
        } else {
            const std::string value = argv[++i];
            if (option == "--root")
                line.phone.root = value;
            else if (option == "--link")
                line.link = value;
            else if (option == "--com-dir")
                line.com_dir = value;
            else if (option == "--baud" && !parse_number(value, 100'000'000, line.phone.baud))
                line.error = "bad baud rate: " + value;
            else if (option == "--fault" && !parse_fault(value, line.phone.faults))
                line.error = "unknown fault: " + value;
            else if (option == "--connect" && !parse_number(value, 65535, line.connect_port))
                line.error = "bad port: " + value;
        }
    }
    if (line.error.empty() && line.phone.root.empty())
        line.error = "--root is required";
    return line;
}

} // namespace phonesim
