#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "core/lib.h"
#include "tools/orvelctl/platform.h"

namespace {
using split_fn = LPWSTR*(WINAPI*)(LPCWSTR, int*);
}

// The wide command line split by the system's rules, so PC file names keep every character.
std::vector<cli_arg> program_arguments(int argc, char** argv) {
    std::vector<cli_arg> args;
    lib shell(u"shell32.dll", false);
    auto split = reinterpret_cast<split_fn>(shell.symbol(u"CommandLineToArgvW"));
    int count = 0;
    LPWSTR* wide = split ? split(GetCommandLineW(), &count) : nullptr;
    if (!wide) {
        // Without the system splitter the 8-bit arguments of the runtime are used.
        for (int i = 1; i < argc; ++i) {
            cli_arg a;
            a.text = argv[i];
            a.pc = str(argv[i]);
            a.phone = a.pc;
            args.push_back(std::move(a));
        }
        return args;
    }
    for (int i = 1; i < count; ++i) {
        cli_arg a;
        a.pc = str(reinterpret_cast<const char16_t*>(wide[i]));
        a.phone = a.pc;
        a.text = a.pc.to_utf8();
        args.push_back(std::move(a));
    }
    LocalFree(wide);
    return args;
}

bool stderr_is_terminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void binary_stdout() {
    _setmode(_fileno(stdout), _O_BINARY);
}
