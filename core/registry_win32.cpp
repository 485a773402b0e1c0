// The system registry through advapi32. Handles are HKEYs; the predefined roots are the system's.

#include <windows.h>

#include "core/registry.h"

namespace {

HKEY as_hkey(reg_key key) {
    return static_cast<HKEY>(key);
}
const wchar_t* wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

bool is_predefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS || key == HKEY_CURRENT_CONFIG;
}

class win32_registry : public registry {
public:
    reg_key root(reg_root which) override {
        switch (which) {
        case reg_root::classes_root:
            return HKEY_CLASSES_ROOT;
        case reg_root::current_user:
            return HKEY_CURRENT_USER;
        case reg_root::local_machine:
            return HKEY_LOCAL_MACHINE;
        }
        return HKEY_LOCAL_MACHINE;
    }

    bool open_key(reg_key parent, const char16_t* name, reg_key& out) override {
        // An empty name would hand back the parent's own handle, which the caller would then
        // close twice: refuse it.
        if (!name || !*name)
            return false;
        HKEY opened = nullptr;
        if (RegOpenKeyW(as_hkey(parent), wide(name), &opened) != ERROR_SUCCESS || !opened)
            return false;
        out = opened;
        return true;
    }

    bool create_key(reg_key parent, const char16_t* name, reg_key& out) override {
        if (!name || !*name)
            return false;
        HKEY opened = nullptr;
        if (RegCreateKeyW(as_hkey(parent), wide(name), &opened) != ERROR_SUCCESS || !opened)
            return false;
        out = opened;
        return true;
    }

    bool enum_key(reg_key key, std::uint32_t index, char16_t* name,
                  std::uint32_t capacity) override {
        if (!name || capacity == 0)
            return false;
        name[0] = 0;
        return RegEnumKeyW(as_hkey(key), index, reinterpret_cast<wchar_t*>(name), capacity) ==
                   ERROR_SUCCESS &&
               name[0] != 0;
    }

    bool query_value(reg_key key, const char16_t* name, std::uint32_t* type, void* data,
                     std::uint32_t* size) override {
        DWORD t = 0;
        DWORD n = size ? *size : 0;
        LONG rc = RegQueryValueExW(as_hkey(key), wide(name), nullptr, &t, static_cast<BYTE*>(data),
                                   size ? &n : nullptr);
        if (type)
            *type = t;
        if (size)
            *size = n;
        return rc == ERROR_SUCCESS;
    }

    void close_key(reg_key key) override {
        if (key && !is_predefined(as_hkey(key)))
            RegCloseKey(as_hkey(key));
    }
};

} // namespace

registry& system_registry() {
    static win32_registry system;
    return system;
}
