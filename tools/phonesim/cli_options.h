#pragma once
// The command line of orvel-phonesim:
//   --root DIR        folder served as the phone's file system (required)
//   --link PATH       symbolic link to the terminal, replaced if it exists
//   --com-dir DIR     claim a free comN link in a Wine prefix's dosdevices folder
//   --baud N          pace the output at N baud (10 bits per byte)
//   --fault WORD      one of the Faults of phonesim.h (see usage_text)
//   --connect PORT    connect to 127.0.0.1:PORT, report there (not on standard output), and end
//                     when that connection closes

#include <string>

#include "tools/phonesim/phonesim.h"

namespace phonesim {

struct CommandLine {
    Options phone;
    std::string link;
    std::string com_dir;
    unsigned connect_port = 0;
    std::string error; // empty when the command line is usable
};

CommandLine parse_command_line(int argc, const char* const* argv);
const char* usage_text();

} // namespace phonesim
