#pragma once
// Shared bits of the fuzz targets: a property check that aborts (libFuzzer then saves the input
// as a crash) and the conversions of fuzz input into texts and streams.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/str.h"
#include "core/stream.h"

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// One character per byte; zero bytes are left out (a str cannot hold them).
inline std::u16string latin1_units(const std::uint8_t* data, std::size_t size) {
    std::u16string out;
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] != 0)
            out.push_back(data[i]);
    return out;
}

// UTF-16 units from byte pairs, little-endian; zero units are left out.
inline std::u16string utf16_units(const std::uint8_t* data, std::size_t size) {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit != 0)
            out.push_back(unit);
    }
    return out;
}

// A str holding exactly these units (none of them zero).
inline str make_str(const std::u16string& units) {
    str out;
    for (char16_t unit : units)
        out.append(unit);
    return out;
}

inline std::u16string units_of(const str& text) {
    return std::u16string(text.c_str(), static_cast<std::size_t>(text.length()));
}

// A memory stream holding the bytes, positioned at its end.
inline void fill(buf& stream, const std::uint8_t* data, std::size_t size) {
    FUZZ_CHECK(stream.open());
    if (size != 0) {
        std::uint32_t done = 0;
        FUZZ_CHECK(stream.write(data, static_cast<std::uint32_t>(size), &done) && done == size);
    }
}
