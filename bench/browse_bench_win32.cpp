// Browsing speed over the Win32 driver (see browse_bench.h): orvelctl.exe is started with
// CreateProcessW, its output going to NUL.

#include <windows.h>

#include "bench/browse_bench.h"

int run_quietly(const fs::path& program, const std::vector<std::string>& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    if (nul == INVALID_HANDLE_VALUE)
        return -1;
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = nul;
    start.hStdOutput = nul;
    start.hStdError = nul;
    PROCESS_INFORMATION process{};
    // The arguments here hold no spaces or quotes: each is quoted as it is.
    std::wstring line = L"\"" + program.wstring() + L"\"";
    for (const std::string& argument : arguments)
        line += L" \"" + fs::path(argument).wstring() + L"\"";
    const BOOL made = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                     CREATE_NO_WINDOW, nullptr, nullptr, &start, &process);
    CloseHandle(nul);
    if (!made)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

fs::path orvelctl_path() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path() / "orvelctl.exe";
}

int main(int argc, char** argv) {
    return browse_bench_main(argc, argv);
}
