#include "app/program.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/globals.h"
#include "app/orvel_gui.h"
#include "core/str.h"
#include "core/tokenizers.h"
#include "toolkit/widget.h"

int orvelMessageLoop(HWND window) {
    if (!window || !IsWindow(window))
        return 1;
    vwin::setMainWindow(window);
    SetForegroundWindow(window);
    int status = 0;
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            status = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) {
            status = 1;
            break;
        }
        try {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } catch (...) {
            // A failing handler costs its one message; the program goes on.
        }
    }
    vwin::setMainWindow(nullptr);
    return status;
}

int orvelMain(int /*argc*/, char** /*argv*/) {
    OrvelGUI gui(theLink(), orvelBaseTitle());
    if (!gui.isWindow())
        return 1;
    return orvelMessageLoop(gui.window());
}

int orvelEntry() {
    connectStandardOutput();
    str line(GetCommandLineA(), 0, str_growable | str_narrow);
    strtokens_cpp tokens(line);
    const int count = tokens.count();
    std::vector<std::unique_ptr<char[]>> copies;
    std::vector<char*> argv(static_cast<std::size_t>(count) + 1, nullptr);
    for (int i = 0; i < count; ++i) {
        const str piece(tokens.item(i));
        const char* bytes = piece.narrow();
        const std::size_t n = std::strlen(bytes);
        copies.push_back(std::make_unique<char[]>(n + 1));
        std::memcpy(copies.back().get(), bytes, n + 1);
        argv[static_cast<std::size_t>(i)] = copies.back().get();
    }
    return orvelMain(count, argv.data());
}

void connectStandardOutput() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN)
        return; // handed over: a file, a pipe or a console
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return; // nobody to write to: the lines are dropped
    if (std::freopen("CONOUT$", "w", stdout))
        std::setvbuf(stdout, nullptr, _IONBF, 0);
}
