#include <windows.h>

#include "core/settings.h"

namespace {

constexpr const wchar_t* program_key = L"Software\\Orvel";

const wchar_t* wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// An open registry key, closed when it goes.
class reg_handle {
public:
    reg_handle() = default;
    ~reg_handle() {
        if (key_)
            RegCloseKey(key_);
    }
    reg_handle(const reg_handle&) = delete;
    reg_handle& operator=(const reg_handle&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

str readSetting(const char16_t* name) {
    reg_handle key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, program_key, 0, KEY_QUERY_VALUE, key.out()) !=
        ERROR_SUCCESS)
        return str();
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof value[0]; // room for the end mark the value may lack
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), wide(name), nullptr, &type, reinterpret_cast<BYTE*>(value),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return str();
    return str(reinterpret_cast<const char16_t*>(value));
}

bool keepSetting(const char16_t* name, const str& value) {
    reg_handle key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, program_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.out(), nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((value.length() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), wide(name), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}
