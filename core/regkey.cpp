#include "core/regkey.h"

namespace {

// Larger text values are refused rather than allocated.
constexpr std::uint32_t max_text_bytes = 1u << 24;

struct root_name {
    const char16_t* name;
    reg_root root;
};
constexpr root_name root_names[] = {
    {u"HKEY_LOCAL_MACHINE", reg_root::local_machine},
    {u"HKEY_CURRENT_USER", reg_root::current_user},
    {u"HKEY_CLASSES_ROOT", reg_root::classes_root},
};

bool same_text(text_view a, const char16_t* b) {
    int i = 0;
    for (; i < a.len; ++i)
        if (b[i] != a.ptr[i])
            return false;
    return b[i] == 0;
}

} // namespace

regkey::regkey(reg_root root) : regkey(system_registry(), root) {}

regkey::regkey(registry& reg, reg_root root) : reg_(reg) {
    keys_[0] = reg_.root(root);
}

regkey::~regkey() {
    close_all();
}

bool regkey::root_by_name(text_view name, reg_root& out) {
    for (const root_name& r : root_names)
        if (same_text(name, r.name)) {
            out = r.root;
            return true;
        }
    return false;
}

bool regkey::open(const char16_t* path, bool create) {
    text_view rest(path);
    if (rest.len == 0)
        return false;
    while (rest.len > 0) {
        int cut = 0;
        while (cut < rest.len && rest.ptr[cut] != u'\\' && rest.ptr[cut] != u'/')
            ++cut;
        text_view head;
        head.ptr = rest.ptr;
        head.len = cut;
        if (cut < rest.len) {
            rest.ptr += cut + 1;
            rest.len -= cut + 1;
        } else {
            rest.len = 0;
        }
        if (!open_level(head, create))
            return false;
    }
    return true;
}

bool regkey::open_level(text_view name, bool create) {
    reg_root root;
    if (root_by_name(name, root)) {
        close_all();
        keys_[0] = reg_.root(root);
        return true;
    }
    // An empty level ("a//b", "/a") would open the current key a second time.
    if (name.len == 0 || depth_ >= max_depth)
        return false;
    str level(name);
    reg_key opened = nullptr;
    if (!reg_.open_key(keys_[depth_], level.c_str(), opened) &&
        !(create && reg_.create_key(keys_[depth_], level.c_str(), opened)))
        return false;
    keys_[++depth_] = opened;
    return true;
}

bool regkey::enter(std::uint32_t index) {
    if (depth_ >= max_depth)
        return false;
    char16_t name[1024];
    name[0] = 0;
    if (!reg_.enum_key(keys_[depth_], index, name, 1024) || name[0] == 0)
        return false;
    reg_key opened = nullptr;
    if (!reg_.open_key(keys_[depth_], name, opened))
        return false;
    keys_[++depth_] = opened;
    return true;
}

bool regkey::up() {
    if (depth_ == 0)
        return false;
    reg_.close_key(keys_[depth_]);
    keys_[depth_--] = nullptr;
    return true;
}

void regkey::close_all() {
    while (up()) {
    }
}

bool regkey::read_value(const char16_t* name, void* data, std::uint32_t* size,
                        std::uint32_t* type) {
    return reg_.query_value(keys_[depth_], name, type, data, size);
}

bool regkey::read_string(const char16_t* name, str& out, const char16_t* default_text) {
    auto fall_back = [&] {
        if (default_text)
            out.assign(default_text);
        else
            out.clear();
        return false;
    };
    if (default_text)
        out.assign(default_text);
    std::uint32_t type = reg_none, size = 0;
    if (!read_value(name, nullptr, &size, &type) || size > max_text_bytes)
        return false;

    if (type == reg_sz || type == reg_multi_sz) {
        out.reserve(static_cast<int>(size / 2 + 1), true);
        int room = out.capacity();
        std::uint32_t got = static_cast<std::uint32_t>(room) * sizeof(char16_t);
        std::uint32_t again = reg_none;
        if (room < 1 || !read_value(name, out.buffer(), &got, &again) ||
            (again != reg_sz && again != reg_multi_sz))
            return fall_back();
        int chars = static_cast<int>(got / sizeof(char16_t));
        out.buffer()[chars < room ? chars : room - 1] = 0; // a multi-string keeps its first text
        out.sync_from_wide();
        return true;
    }
    if (type == reg_binary) {
        out.reserve(static_cast<int>(size + 1), true);
        int room = out.capacity();
        char* bytes = out.narrow_buffer();
        std::uint32_t got = static_cast<std::uint32_t>(room);
        std::uint32_t again = reg_none;
        if (room < 1 || !bytes || !read_value(name, bytes, &got, &again) || again != reg_binary)
            return fall_back();
        bytes[got < static_cast<std::uint32_t>(room) ? got : room - 1] = 0;
        out.sync_from_narrow();
        return true;
    }
    return false;
}
