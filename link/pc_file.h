#pragma once
// The PC side of a fetch, and names that are no file on this PC.
//
// pc_fetch_file receives a phone file safely: the target is checked first (an existing target
// must be a regular file, or a link to one, which is written through as cp does; a folder, a
// device, a pipe or a link to such a thing is refused and never replaced). The data goes to a
// temporary file with a short name (".orvel-part-XXXXXX") in the folder of the file that will be
// replaced, so a long target name never makes it fail. commit() puts it in the target's place
// keeping the old file's permission bits (POSIX; the owner too where allowed) or attributes
// (Windows, read-only included: the flag is cleared for the replace and set again on the new
// file); discard() and the destructor remove it.
//
// While it is written the temporary file is held so that no other copy takes it for a leftover
// (a lock on POSIX, an unshared handle on Windows). A copy that was killed leaves its temporary
// file behind; begin() removes such leftovers of ours from the target's folder: only names of
// our pattern that nobody holds.

#include <cstdint>
#include <memory>

#include "core/str.h"
#include "core/stream.h"
#include "link/link_failure.h"

// The size of an existing regular PC file; false for a missing file, a folder or another kind.
bool pc_regular_file_size(const str& name, std::uint64_t& size);
// Why a PC path that is no regular file cannot be sent ("cannot read PC file <name>: it is no
// regular file").
link_failure pc_not_regular(const str& name);

class pc_fetch_file : public iobase {
public:
    pc_fetch_file();
    ~pc_fetch_file() override; // discards an uncommitted temporary file

    // Checks the target and creates the temporary file. False with failure() set (pc_file).
    bool begin(const str& target);
    // Makes the received data the target's contents. False with failure() set; the temporary
    // file is removed and an existing target is untouched.
    bool commit();
    // Closes and removes the temporary file.
    void discard();

    const link_failure& failure() const { return failure_; }
    // The temporary file's name while one exists (for tests), else empty.
    const str& tempName() const { return temp_; }

    // iobase: data is only written. A failed write sets failure().
    bool write(const void* bytes, std::uint32_t count, std::uint32_t* done = nullptr) override;
    bool read(void*, std::uint32_t, std::uint32_t* done = nullptr) override;
    void close() override { discard(); }
    std::uint64_t remaining() override { return 0; }
    bool is_open() const override;
    bool is_text_marked() const override { return false; }

    // The temporary name for an attempt: ".orvel-part-" and six characters, in `folder` (a
    // folder name ending in a separator, or empty for the working folder).
    static str tempNameIn(const str& folder, std::uint32_t seed);
    // Removes the temporary files of our pattern in `folder` that no running copy holds.
    static void removeStaleParts(const str& folder);

private:
    // Removes one leftover temporary file unless a running copy holds it.
    static void removeIfUnused(const str& path);
    bool fail(const char16_t* doing, const str& name, const str& why);

    struct impl; // platform handle and what is kept of the old file
    std::unique_ptr<impl> impl_;
    str target_; // the file to replace (a link's target when the name was a link)
    str temp_;
    link_failure failure_;
};

// Whether the PC takes this single name for a device rather than a file in its folder (on
// Windows CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, also before an extension).
bool pc_device_name(const str& name);
// Whether the PC would store a file of this single name under another name (Windows drops
// trailing dots and blanks, so "a." would replace "a").
bool pc_name_altered(const str& name);
