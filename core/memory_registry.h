#pragma once
// A registry held in memory, on every platform: fixtures for registry walks in tests, and the
// empty system registry of platforms that have none. Key and value names match without regard to
// letter case, as in the system registry; subkeys enumerate in the order they were added.
// Not safe for use from several threads at once.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/registry.h"

class memory_registry : public registry {
public:
    memory_registry();
    ~memory_registry() override;
    memory_registry(const memory_registry&) = delete;
    memory_registry& operator=(const memory_registry&) = delete;

    // Building fixtures. Paths are relative to the root, levels separated by "\"; missing keys
    // along the path are created. Setting a value replaces one of the same name.
    bool add_key(reg_root root, const char16_t* path);
    bool set_value(reg_root root, const char16_t* path, const char16_t* name, std::uint32_t type,
                   const void* data, std::uint32_t size);
    bool set_string(reg_root root, const char16_t* path, const char16_t* name,
                    const char16_t* text); // REG_SZ, stored with its terminator
    bool set_multi_string(reg_root root, const char16_t* path, const char16_t* name,
                          std::initializer_list<const char16_t*> texts); // REG_MULTI_SZ
    bool set_binary(reg_root root, const char16_t* path, const char16_t* name, const void* data,
                    std::uint32_t size); // REG_BINARY
    bool set_dword(reg_root root, const char16_t* path, const char16_t* name,
                   std::uint32_t value); // REG_DWORD, little-endian

    // Handles opened and not yet closed, and closes of handles that were not open (both for
    // checking that walkers release what they open).
    int open_handles() const { return static_cast<int>(handles_.size()); }
    int bad_closes() const { return bad_closes_; }

    reg_key root(reg_root which) override;
    bool open_key(reg_key parent, const char16_t* name, reg_key& out) override;
    bool create_key(reg_key parent, const char16_t* name, reg_key& out) override;
    bool enum_key(reg_key key, std::uint32_t index, char16_t* name,
                  std::uint32_t capacity) override;
    bool query_value(reg_key key, const char16_t* name, std::uint32_t* type, void* data,
                     std::uint32_t* size) override;
    void close_key(reg_key key) override;

private:
    struct node;
    struct handle {
        node* target;
    };

    node* root_node(reg_root which) const;
    node* node_of(reg_key key) const; // null for a handle that is not open
    node* walk(node* from, const char16_t* path, bool create) const;
    reg_key new_handle(node* target);

    std::unique_ptr<node> roots_[3]; // classes root, current user, local machine
    std::set<handle*> handles_;
    int bad_closes_ = 0;
};
