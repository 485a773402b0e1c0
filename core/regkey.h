#pragma once
// A stack of open registry keys for walking: descend by path or by enumeration index, go back up,
// read values of the current (top) key. keys[0] is a predefined root, never closed; the keys above
// it are owned and closed by the regkey.

#include <cstdint>

#include "core/registry.h"
#include "core/str.h"

class regkey {
public:
    // Keys that can be open above the root; deeper walks are refused.
    static constexpr int max_depth = 32;

    // On the system registry.
    explicit regkey(reg_root root = reg_root::local_machine);
    regkey(registry& reg, reg_root root);
    ~regkey();
    regkey(const regkey&) = delete;
    regkey& operator=(const regkey&) = delete;

    // Descends along a path relative to the current key; "/" and "\" separate levels. A level
    // named "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER" or "HKEY_CLASSES_ROOT" closes everything and
    // restarts at that root. With create, missing keys are created. A failure part-way leaves the
    // keys of the earlier levels open and current.
    bool open(const char16_t* path, bool create = false);
    // Opens subkey number `index` of the current key and makes it current.
    bool enter(std::uint32_t index);
    // Closes the current key; its parent becomes current. False at the root.
    bool up();
    // Closes every opened key; the root becomes current.
    void close_all();

    // The current key's value: type and size only when data is null (see registry::query_value).
    bool read_value(const char16_t* name, void* data, std::uint32_t* size,
                    std::uint32_t* type = nullptr);
    // A text value (REG_SZ, the first string of REG_MULTI_SZ, or REG_BINARY taken byte by byte)
    // into out. With a default given, out holds it unless the read succeeds.
    bool read_string(const char16_t* name, str& out, const char16_t* default_text = nullptr);

    int depth() const { return depth_; }
    reg_key current() const { return keys_[depth_]; }

    // The predefined root named exactly (case-sensitive) as given.
    static bool root_by_name(text_view name, reg_root& out);

private:
    bool open_level(text_view name, bool create);

    registry& reg_;
    int depth_ = 0;
    reg_key keys_[max_depth + 1] = {};
};
