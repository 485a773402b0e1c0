#pragma once
// Byte streams with a name: the abstract iobase, the seekable iostore (64-bit size and position),
// the memory store buf and the disk file file.

#include <cstdint>

#include "core/str.h"
#include "core/timestamp.h"
#include "core/vobject.h"

class iobase : public virtual vObject {
public:
    iobase();
    virtual ~iobase();

    // Closes what is open and takes the name when one is given.
    virtual bool open(const char16_t* name = nullptr);
    virtual void close() = 0;
    // Reads up to count bytes; `done` receives the count moved.
    virtual bool read(void* bytes, std::uint32_t count, std::uint32_t* done = nullptr) = 0;
    virtual bool write(const void* bytes, std::uint32_t count, std::uint32_t* done = nullptr) = 0;
    virtual std::uint64_t remaining() = 0;
    virtual bool is_open() const = 0;
    virtual bool is_text_marked() const = 0;
    virtual bool truncate();
    // Copies from the current position to the end into dest, in chunks of up to 64 KiB.
    virtual bool copy_to(iobase& dest);

    const str& name() const { return name_; }
    const timestamp& stamp() const { return stamp_; }

protected:
    str name_;
    timestamp stamp_;
};

class iostore : public iobase {
public:
    std::uint64_t remaining() override;
    // Seeks to 0, then copies everything.
    bool copy_to(iobase& dest) override;
    virtual bool seek(std::uint64_t position) = 0;
    // position += count; the size grows to the position when it passes it.
    virtual void advance(std::uint64_t count);
    // Turns every "\" of the name into "/".
    virtual void slashes();

    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return position_; }

protected:
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

// A growable memory buffer.
class buf : public iostore {
public:
    // A non-zero initial size opens the buffer at once with that growth size.
    explicit buf(std::uint32_t initial_size = 0);
    ~buf() override;

    bool open(const char16_t* name = nullptr) override;
    void close() override;
    bool read(void* bytes, std::uint32_t count, std::uint32_t* done = nullptr) override;
    bool write(const void* bytes, std::uint32_t count, std::uint32_t* done = nullptr) override;
    bool is_open() const override { return data_ != nullptr; }
    bool is_text_marked() const override { return false; }
    // Clamps to the size.
    bool seek(std::uint64_t position) override;

    // Grows the allocation (doubling) to at least n bytes, keeping the contents.
    bool reserve(std::uint32_t n);
    // Size and position 0; the allocation stays.
    void empty();
    const std::uint8_t* data() const { return data_; }

private:
    std::uint8_t* data_ = nullptr;
    std::uint32_t allocated_ = 0;
    std::uint32_t growth_ = 0;
};

// Creation words (file creation dispositions); bit 3 additionally asks for a 16-bit text mark.
enum : std::uint32_t {
    create_new = 1,
    create_always = 2,
    open_existing = 3,
    open_always = 4,
    creation_text_mark = 8,
};

// A disk file. The platform part lives in file_win32.cpp / file_posix.cpp.
class file : public iostore {
public:
    explicit file(const char16_t* name = nullptr, std::uint32_t creation = open_always,
                  bool overlapped = false);
    ~file() override;

    bool open(const char16_t* name = nullptr) override;
    void close() override;
    bool read(void* bytes, std::uint32_t count, std::uint32_t* done = nullptr) override;
    bool write(const void* bytes, std::uint32_t count, std::uint32_t* done = nullptr) override;
    bool is_open() const override;
    bool is_text_marked() const override { return text_marked_; }
    bool truncate() override;
    // No clamp: the position may lie beyond the size.
    bool seek(std::uint64_t position) override;

    // Opens with create_always: an existing file is emptied, a missing one created.
    bool open_replacing(const char16_t* name);
    // Opens, or refreshes the size when already open.
    bool open_or_refresh();
    bool flush();
    // Whether the named file or folder exists.
    bool exists() const;
    bool creation_time(timestamp& out) const;
    bool refresh_size();
    std::uint32_t creation() const { return creation_; }
    void set_creation(std::uint32_t creation) { creation_ = creation; }

private:
    // After the platform open: detects a 16-bit text mark at the start, or writes one into an
    // empty file when the creation word asks for it. Closes the file when its size is unknown.
    bool settle_text_mark();

    struct impl;
    impl* impl_ = nullptr; // platform handle and overlapped state
    std::uint32_t creation_ = open_always;
    bool overlapped_ = false;
    bool text_marked_ = false;
};

// Path helpers; "/" and "\" both count as separators.

// In place: "" stays ""; "." is the working directory, ".." its parent; "\" becomes "/", and one
// trailing "/" is ensured.
void normalise_dir(str& path);
// Any output may be null.
void split_path(const str& path, str* dir, str* name, str* ext, str* stem);
// The stream name cut at its last separator; empty when that is at position 0 or absent.
str dir_of(const str& path);
// Creates every directory along the path; an existing one is no error.
bool make_dir_chain(const str& path);
// The temporary directory (normalised) plus name; without a name a fresh unique file "TEMP…"
// there, or empty on failure.
str temp_path(const char16_t* name = nullptr);
