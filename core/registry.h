#pragma once
// A small registry interface: the few key and value operations that registry walks need. The
// system registry (advapi32) implements it on Windows; memory_registry implements it everywhere.

#include <cstdint>

// An open key. Predefined roots are handles too; they are never closed.
using reg_key = void*;

// The predefined roots, with the values the system gives them.
enum class reg_root : std::uint32_t {
    classes_root = 0x80000000,
    current_user = 0x80000001,
    local_machine = 0x80000002,
};

// Value types, numbered as the system numbers them.
enum : std::uint32_t {
    reg_none = 0,
    reg_sz = 1,
    reg_expand_sz = 2,
    reg_binary = 3,
    reg_dword = 4,
    reg_multi_sz = 7,
};

class registry {
public:
    virtual ~registry() = default;

    // The handle of a predefined root.
    virtual reg_key root(reg_root which) = 0;
    // Opens the existing key `name` below `parent` ("\" separates levels, as in the system).
    virtual bool open_key(reg_key parent, const char16_t* name, reg_key& out) = 0;
    // Opens the key, creating it (and the levels above it) when missing.
    virtual bool create_key(reg_key parent, const char16_t* name, reg_key& out) = 0;
    // The name of subkey number `index` into `name` (capacity in characters, terminator
    // included); false when there is no such subkey or the name does not fit.
    virtual bool enum_key(reg_key key, std::uint32_t index, char16_t* name,
                          std::uint32_t capacity) = 0;
    // Type and bytes of a value; a null or empty name is the key's default value. With data null
    // only type and size (in bytes) are reported. With data given, size holds the buffer's size
    // in bytes; a buffer too small fails with size set to the size needed.
    virtual bool query_value(reg_key key, const char16_t* name, std::uint32_t* type, void* data,
                             std::uint32_t* size) = 0;
    // Closes a key opened by open_key or create_key; closing a root does nothing.
    virtual void close_key(reg_key key) = 0;
};

// The registry of the system: advapi32 on Windows; on other platforms an empty registry in which
// every key is missing.
registry& system_registry();
