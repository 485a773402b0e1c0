#pragma once
// What orvelctl needs from the platform: its arguments, and facts about its standard streams.

#include <string>
#include <vector>

#include "core/str.h"

// One command-line argument in the three forms the tool needs.
struct cli_arg {
    std::string text; // for options and command names (UTF-8)
    str pc;           // as a PC file name
    str phone;        // as a phone path: the bytes the phone gets, one character each
};

std::vector<cli_arg> program_arguments(int argc, char** argv);
// Whether standard error is a terminal (progress lines are shown only then).
bool stderr_is_terminal();
// Makes standard output carry bytes unchanged.
void binary_stdout();
