// lib on POSIX: dlopen, dladdr and dlsym.

#include "core/lib.h"

#include <dlfcn.h>
#include <link.h>

#include <string>

#include "core/str.h"

namespace {

// Which loaded object (by dl_iterate_phdr order) holds an address: 0 is the main program.
struct object_search {
    std::uintptr_t address = 0;
    int index = -1;
    int current = 0;
    std::string name;
};

int find_object(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<object_search*>(data);
    int index = search->current++;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD)
            continue;
        std::uintptr_t start = info->dlpi_addr + ph.p_vaddr;
        if (search->address >= start && search->address < start + ph.p_memsz) {
            search->index = index;
            search->name = info->dlpi_name ? info->dlpi_name : "";
            return 1;
        }
    }
    return 0;
}

} // namespace

bool lib::load(const char16_t* name, bool keep_loaded) {
    unload();
    if (!name || !*name)
        return false;
    // A library kept loaded is marked never to be removed, so closing the handle leaves it mapped.
    int flags = RTLD_NOW | RTLD_LOCAL | (keep_loaded ? RTLD_NODELETE : 0);
    handle_ = dlopen(str(name).to_utf8().c_str(), flags);
    owns_ = handle_ && !keep_loaded;
    return handle_ != nullptr;
}

bool lib::attach(const void* address) {
    unload();
    if (!address)
        return false;
    object_search search;
    search.address = reinterpret_cast<std::uintptr_t>(address);
    dl_iterate_phdr(find_object, &search);
    if (search.index < 0)
        return false;
    // RTLD_NOLOAD only takes a reference to the object already in memory; the reference is
    // given back on unload, which never drops the module itself.
    if (search.index == 0 || search.name.empty())
        handle_ = dlopen(nullptr, RTLD_NOW);
    else
        handle_ = dlopen(search.name.c_str(), RTLD_NOW | RTLD_NOLOAD);
    owns_ = false;
    return handle_ != nullptr;
}

void lib::unload() {
    // Every handle holds one dlopen reference (an attached one too); closing it releases only that
    // reference. Libraries kept loaded carry RTLD_NODELETE, and an attached module is held by
    // whoever loaded it, so only an owned library is actually removed.
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
    owns_ = false;
}

void* lib::symbol(const char16_t* name) const {
    if (!handle_ || reinterpret_cast<std::uintptr_t>(name) <= max_ordinal_value)
        return nullptr; // no ordinals here
    return dlsym(handle_, str(name).narrow());
}
