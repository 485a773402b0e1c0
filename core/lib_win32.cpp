// lib on Windows: LoadLibraryW, VirtualQuery and GetProcAddress.

#include "core/lib.h"

#include <windows.h>

#include "core/str.h"

bool lib::load(const char16_t* name, bool keep_loaded) {
    unload();
    if (!name || !*name)
        return false;
    handle_ = LoadLibraryW(reinterpret_cast<const wchar_t*>(name));
    owns_ = handle_ && !keep_loaded;
    return handle_ != nullptr;
}

bool lib::attach(const void* address) {
    unload();
    MEMORY_BASIC_INFORMATION info{};
    if (!address || VirtualQuery(address, &info, sizeof info) == 0 || !info.AllocationBase)
        return false;
    handle_ = info.AllocationBase;
    owns_ = false;
    return true;
}

void lib::unload() {
    if (handle_ && owns_)
        FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
    owns_ = false;
}

void* lib::symbol(const char16_t* name) const {
    if (!handle_)
        return nullptr;
    auto value = reinterpret_cast<std::uintptr_t>(name);
    FARPROC proc;
    if (value <= max_ordinal_value) {
        // GetProcAddress reads only 16-bit ordinals; a larger value would be taken as a pointer.
        if (value == 0 || value > 0xffff)
            return nullptr;
        proc = GetProcAddress(static_cast<HMODULE>(handle_), reinterpret_cast<LPCSTR>(value));
    } else {
        proc = GetProcAddress(static_cast<HMODULE>(handle_), str(name).narrow());
    }
    return reinterpret_cast<void*>(proc);
}
