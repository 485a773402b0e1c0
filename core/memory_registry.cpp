#include "core/memory_registry.h"

#include <cstring>

struct memory_registry::node {
    struct value {
        std::u16string name;
        std::uint32_t type = reg_none;
        std::vector<std::uint8_t> data;
    };
    std::u16string name;
    std::vector<std::unique_ptr<node>> children; // in the order they were added
    std::vector<value> values;
};

namespace {

// Letter case is ignored for ASCII and Latin-1 letters, which is what fixtures use.
char16_t fold(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<char16_t>(c + 0x20);
    return c;
}

bool same_name(const std::u16string& a, const char16_t* b, std::size_t blen) {
    if (a.size() != blen)
        return false;
    for (std::size_t i = 0; i < blen; ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

std::size_t length_of(const char16_t* text) {
    std::size_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

std::uintptr_t root_word(reg_root which) {
    return static_cast<std::uintptr_t>(which);
}

} // namespace

memory_registry::memory_registry() {
    for (auto& r : roots_)
        r = std::make_unique<node>();
}

memory_registry::~memory_registry() {
    for (handle* h : handles_)
        delete h;
}

memory_registry::node* memory_registry::root_node(reg_root which) const {
    switch (which) {
    case reg_root::classes_root:
        return roots_[0].get();
    case reg_root::current_user:
        return roots_[1].get();
    case reg_root::local_machine:
        return roots_[2].get();
    }
    return nullptr;
}

memory_registry::node* memory_registry::node_of(reg_key key) const {
    std::uintptr_t word = reinterpret_cast<std::uintptr_t>(key);
    for (reg_root r : {reg_root::classes_root, reg_root::current_user, reg_root::local_machine})
        if (word == root_word(r))
            return root_node(r);
    handle* h = static_cast<handle*>(key);
    return handles_.count(h) ? h->target : nullptr;
}

// Follows "\"-separated levels; an empty level fails, as a name the system would refuse.
memory_registry::node* memory_registry::walk(node* from, const char16_t* path, bool create) const {
    if (!from || !path)
        return nullptr;
    std::size_t total = length_of(path);
    if (total == 0)
        return from;
    std::size_t start = 0;
    node* at = from;
    while (start <= total) {
        std::size_t end = start;
        while (end < total && path[end] != u'\\')
            ++end;
        if (end == start)
            return nullptr;
        node* next = nullptr;
        for (auto& child : at->children)
            if (same_name(child->name, path + start, end - start)) {
                next = child.get();
                break;
            }
        if (!next) {
            if (!create)
                return nullptr;
            auto fresh = std::make_unique<node>();
            fresh->name.assign(path + start, end - start);
            next = fresh.get();
            at->children.push_back(std::move(fresh));
        }
        at = next;
        start = end + 1;
    }
    return at;
}

reg_key memory_registry::new_handle(node* target) {
    handle* h = new handle{target};
    handles_.insert(h);
    return h;
}

bool memory_registry::add_key(reg_root root, const char16_t* path) {
    return walk(root_node(root), path, true) != nullptr;
}

bool memory_registry::set_value(reg_root root, const char16_t* path, const char16_t* name,
                                std::uint32_t type, const void* data, std::uint32_t size) {
    node* key = walk(root_node(root), path, true);
    if (!key || (size && !data))
        return false;
    std::size_t nlen = length_of(name);
    node::value* slot = nullptr;
    for (auto& v : key->values)
        if (same_name(v.name, name ? name : u"", nlen))
            slot = &v;
    if (!slot) {
        key->values.emplace_back();
        slot = &key->values.back();
        slot->name.assign(name ? name : u"", nlen);
    }
    slot->type = type;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    slot->data.assign(bytes, bytes + size);
    return true;
}

bool memory_registry::set_string(reg_root root, const char16_t* path, const char16_t* name,
                                 const char16_t* text) {
    std::size_t n = length_of(text) + 1;
    std::u16string held(text ? text : u"");
    return set_value(root, path, name, reg_sz, held.c_str(),
                     static_cast<std::uint32_t>(n * sizeof(char16_t)));
}

bool memory_registry::set_multi_string(reg_root root, const char16_t* path, const char16_t* name,
                                       std::initializer_list<const char16_t*> texts) {
    std::u16string joined;
    for (const char16_t* t : texts) {
        joined.append(t ? t : u"");
        joined.push_back(u'\0');
    }
    joined.push_back(u'\0');
    return set_value(root, path, name, reg_multi_sz, joined.data(),
                     static_cast<std::uint32_t>(joined.size() * sizeof(char16_t)));
}

bool memory_registry::set_binary(reg_root root, const char16_t* path, const char16_t* name,
                                 const void* data, std::uint32_t size) {
    return set_value(root, path, name, reg_binary, data, size);
}

bool memory_registry::set_dword(reg_root root, const char16_t* path, const char16_t* name,
                                std::uint32_t value) {
    std::uint8_t le[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                          static_cast<std::uint8_t>(value >> 16),
                          static_cast<std::uint8_t>(value >> 24)};
    return set_value(root, path, name, reg_dword, le, 4);
}

reg_key memory_registry::root(reg_root which) {
    return reinterpret_cast<reg_key>(root_word(which));
}

bool memory_registry::open_key(reg_key parent, const char16_t* name, reg_key& out) {
    node* target = walk(node_of(parent), name, false);
    if (!target)
        return false;
    out = new_handle(target);
    return true;
}

bool memory_registry::create_key(reg_key parent, const char16_t* name, reg_key& out) {
    node* target = walk(node_of(parent), name, true);
    if (!target)
        return false;
    out = new_handle(target);
    return true;
}

bool memory_registry::enum_key(reg_key key, std::uint32_t index, char16_t* name,
                               std::uint32_t capacity) {
    node* at = node_of(key);
    if (!at || !name || index >= at->children.size())
        return false;
    const std::u16string& child = at->children[index]->name;
    if (child.size() + 1 > capacity)
        return false;
    std::memcpy(name, child.c_str(), (child.size() + 1) * sizeof(char16_t));
    return true;
}

bool memory_registry::query_value(reg_key key, const char16_t* name, std::uint32_t* type,
                                  void* data, std::uint32_t* size) {
    node* at = node_of(key);
    if (!at || (data && !size))
        return false;
    std::size_t nlen = length_of(name);
    for (auto& v : at->values) {
        if (!same_name(v.name, name ? name : u"", nlen))
            continue;
        auto needed = static_cast<std::uint32_t>(v.data.size());
        if (type)
            *type = v.type;
        if (data) {
            bool fits = *size >= needed;
            if (fits && needed)
                std::memcpy(data, v.data.data(), needed);
            *size = needed;
            return fits;
        }
        if (size)
            *size = needed;
        return true;
    }
    return false;
}

void memory_registry::close_key(reg_key key) {
    std::uintptr_t word = reinterpret_cast<std::uintptr_t>(key);
    for (reg_root r : {reg_root::classes_root, reg_root::current_user, reg_root::local_machine})
        if (word == root_word(r))
            return;
    handle* h = static_cast<handle*>(key);
    if (handles_.erase(h))
        delete h;
    else
        ++bad_closes_;
}
