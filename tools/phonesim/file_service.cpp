#include "tools/phonesim/file_service.h"

#include <algorithm>
#include <string>

#include "tools/phonesim/frame.h"

namespace phonesim {

namespace {

constexpr std::uint32_t failed = 0xFFFFFFFF;

// Reply payload offsets are frame offsets minus the 4 header bytes.
constexpr std::size_t at(std::size_t frame_offset) {
    return frame_offset - 4;
}

std::vector<std::uint8_t> reply(std::uint16_t code, std::size_t body_size) {
    std::vector<std::uint8_t> payload(4 + body_size, 0);
    put_u16(payload, 0, code);
    put_u16(payload, 2, static_cast<std::uint16_t>(body_size));
    return payload;
}

std::vector<std::uint8_t> word_reply(std::uint16_t code, std::uint32_t word) {
    std::vector<std::uint8_t> payload = reply(code, 4);
    put_u32(payload, at(8), word);
    return payload;
}

// The path of a request: the bytes up to the first zero byte (or the end of the data).
std::string path_of(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* end = std::find(data, data + size, 0);
    return std::string(data, end);
}

} // namespace

std::vector<std::uint8_t> FileService::answer(const std::vector<std::uint8_t>& request) {
    const std::uint16_t code = get_u16(&request[0]);
    const std::uint8_t* body = request.data() + 4;
    const std::size_t body_size = request.size() - 4;
    const bool has_word = body_size >= 4;
    const std::uint32_t word = has_word ? get_u32(body) : 0;
    const std::uint8_t* data = body + (has_word ? 4 : 0);
    const std::size_t data_size = has_word ? body_size - 4 : 0;

    switch (code) {
    case code_open_read:
    case code_open_write: {
        if (!has_word)
            return word_reply(code, failed);
        const std::string path = path_of(data, data_size);
        // The open mode must match the request: 2 for reading, 5 for writing.
        if (code == code_open_read)
            return word_reply(code, word == 2 ? fs_.open_read(path) : failed);
        return word_reply(code, word == 5 ? fs_.open_write(path) : failed);
    }
    case code_close_file:
        return word_reply(code, has_word && fs_.close_file(word) ? 0 : failed);
    case code_read_chunk: {
        std::vector<std::uint8_t> chunk;
        const std::uint32_t wanted = data_size >= 4 ? std::min(get_u32(data), max_chunk) : 0;
        if (has_word && wanted > 0)
            fs_.read(word, wanted, chunk);
        std::vector<std::uint8_t> payload = reply(code, 8 + chunk.size());
        put_u32(payload, at(8), chunk.empty() ? 0 : 1);
        put_u32(payload, at(12), static_cast<std::uint32_t>(chunk.size()));
        std::copy(chunk.begin(), chunk.end(), payload.begin() + at(16));
        return payload;
    }
    case code_write_chunk: {
        std::vector<std::uint8_t> payload = reply(code, 8);
        const std::uint32_t count = data_size >= 4 ? get_u32(data) : 0;
        const bool ok = has_word && data_size >= 4 && count <= data_size - 4 &&
                        fs_.write(word, data + 4, count);
        put_u32(payload, at(8), ok ? 0 : failed);
        put_u32(payload, at(12), ok ? count : 0);
        return payload;
    }
    case code_delete:
        return word_reply(code, fs_.remove(path_of(body, body_size)) ? 0 : failed);
    case code_make_dir:
        return word_reply(code, fs_.make_dir(path_of(body, body_size)) ? 0 : failed);
    case code_open_dir:
        return word_reply(code, fs_.open_dir(path_of(body, body_size)));
    case code_close_dir:
        return word_reply(code, has_word && fs_.close_dir(word) ? 0 : failed);
    case code_read_entry: {
        std::vector<std::uint8_t> payload = reply(code, entry_extra_offset + 4 - 8);
        DirEntry entry;
        std::uint32_t number = 0;
        if (!has_word || !fs_.next_entry(word, entry, number))
            return payload; // entry word 0: no more entries
        put_u32(payload, at(8), 1);
        put_u32(payload, at(12), number);
        put_u32(payload, at(16), entry.size);
        put_u32(payload, at(20), entry.attributes);
        put_u32(payload, at(24), entry.stamp);
        const std::size_t room = entry_extra_offset - entry_name_offset - 1;
        const std::size_t length = std::min(entry.name.size(), room);
        std::copy(entry.name.begin(), entry.name.begin() + length,
                  payload.begin() + at(entry_name_offset));
        put_u32(payload, at(entry_extra_offset), entry.stamp);
        return payload;
    }
    default:
        return word_reply(code, failed);
    }
}

} // namespace phonesim
