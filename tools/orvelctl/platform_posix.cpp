#include <unistd.h>

#include "tools/orvelctl/platform.h"

std::vector<cli_arg> program_arguments(int argc, char** argv) {
    std::vector<cli_arg> args;
    for (int i = 1; i < argc; ++i) {
        cli_arg a;
        a.text = argv[i];
        a.pc = str::from_utf8(argv[i]);
        a.phone = str(argv[i]); // byte for byte
        args.push_back(std::move(a));
    }
    return args;
}

bool stderr_is_terminal() {
    return isatty(STDERR_FILENO) == 1;
}

void binary_stdout() {}
