#pragma once
// Answers the request frames of the file-transfer protocol from a PhoneFs.
//
// Reply payloads (offsets from the start of the reply frame; the payload starts at 4):
//   4: u16 command code of the request, 6: u16 body length, body from 8.
//   open file (0, 4), open directory (8): 8 handle, all bits set when refused.
//   read chunk (2): 8 more-data word (1 with data, 0 at the end), 12 count, 16 data.
//   write chunk (3): 8 status (0 or all bits set), 12 bytes written.
//   read entry (10): 8 entry word (1, or 0 at the end), 12 entry number, 16 size,
//     20 attributes (0x200 = directory), 24 date and time of the last change (FAT form),
//     48 name ended by a zero byte (at most 283 bytes), 332 the same date and time again.
//   close file (1), delete (5), close directory (9), make directory (11), unknown codes:
//     8 status (0 or all bits set).

#include <cstdint>
#include <vector>

#include "tools/phonesim/phone_fs.h"

namespace phonesim {

enum RequestCode : std::uint16_t {
    code_open_read = 0,
    code_close_file = 1,
    code_read_chunk = 2,
    code_write_chunk = 3,
    code_open_write = 4,
    code_delete = 5,
    code_open_dir = 8,
    code_close_dir = 9,
    code_read_entry = 10,
    code_make_dir = 11,
};

constexpr std::size_t entry_name_offset = 48;
constexpr std::size_t entry_extra_offset = 332;
// Largest chunk handed out for one read-chunk request.
constexpr std::uint32_t max_chunk = 4096;

class FileService {
public:
    explicit FileService(PhoneFs& fs) : fs_(fs) {}

    // The reply payload for a request payload (command code onwards).
    std::vector<std::uint8_t> answer(const std::vector<std::uint8_t>& request);

private:
    PhoneFs& fs_;
};

} // namespace phonesim
