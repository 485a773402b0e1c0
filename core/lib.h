#pragma once
// A dynamic library from which functions are looked up by name.

#include <cstdint>

class lib {
public:
    lib() = default;
    lib(const char16_t* name, bool keep_loaded);
    lib(const lib&) = delete;
    lib& operator=(const lib&) = delete;
    virtual ~lib(); // unloads

    // Loads the named library (after unloading what was loaded). With keep_loaded the library is
    // not released by unload or destruction. False when it cannot be loaded.
    virtual bool load(const char16_t* name, bool keep_loaded);
    // Takes the module that contains the address, without owning it.
    virtual bool attach(const void* address);
    // Releases the library when owned; the handle is dropped either way.
    virtual void unload();

    bool is_loaded() const { return handle_ != nullptr; }

    // Address of the named function, or null. A name pointer value at or below 0x3ffff is an
    // ordinal (see ordinal()); ordinals above 0xffff and ordinals on platforms without them give
    // null.
    void* symbol(const char16_t* name) const;

    // The name argument that asks symbol() for an ordinal.
    static const char16_t* ordinal(unsigned number) {
        return reinterpret_cast<const char16_t*>(static_cast<std::uintptr_t>(number));
    }
    static constexpr std::uintptr_t max_ordinal_value = 0x3ffff;

private:
    void* handle_ = nullptr;
    bool owns_ = false;
};
