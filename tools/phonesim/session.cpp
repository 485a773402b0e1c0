#include "tools/phonesim/session.h"

namespace phonesim {

namespace {

constexpr std::size_t max_line = 1024;
// The code list of a long-running phone stops growing here.
constexpr std::size_t max_codes = 1'000'000;

// Junk that a real line picks up; never holds the start byte 0x7F.
std::vector<std::uint8_t> noise_bytes(std::uint64_t reply) {
    static const std::uint8_t junk[] = {0x00, 0x0D, 0x0A, 0x42, 0x7E, 0xFF, 0x13, 0x80, 0x01};
    return std::vector<std::uint8_t>(junk, junk + 1 + reply % sizeof junk);
}

} // namespace

Session::Session(const Options& options, SharedState& shared)
    : shared_(shared), fs_(options.root, options.faults.bigdir, options.faults.hostile),
      files_(fs_) {}

void Session::reset() {
    in_frame_ = false;
    line_.clear();
}

void Session::receive(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        if (in_frame_) {
            if (reader_.feed(byte) != FrameReader::State::collecting) {
                in_frame_ = false;
                take_frame(out);
            }
        } else if (byte == frame_start) {
            reader_.begin();
            in_frame_ = true;
            line_.clear();
        } else if (byte == '\r' || byte == '\n') {
            take_line(out);
            line_.clear();
        } else if (line_.size() < max_line) {
            line_ += static_cast<char>(byte);
        }
    }
}

bool Session::count_request(const std::vector<std::uint8_t>& bytes, bool frame,
                            std::uint16_t code) {
    std::lock_guard<std::mutex> lock(shared_.mutex);
    Counters& c = shared_.counters;
    ++c.requests;
    if (frame) {
        ++c.frames;
        if (c.codes.size() < max_codes)
            c.codes.push_back(code);
    } else {
        ++c.at_lines;
    }
    c.last_request = bytes;
    if (shared_.faults.babble != 0 && c.requests >= shared_.faults.babble)
        babbling_ = true;
    if (babbling_)
        return false;
    return shared_.faults.silent == 0 || c.requests < shared_.faults.silent;
}

void Session::take_line(std::vector<std::uint8_t>& out) {
    // Only lines that start with "AT" are commands; anything else on the line is ignored.
    const std::size_t start = line_.find_first_not_of(" \t");
    if (start == std::string::npos || line_.size() < start + 2 ||
        (line_[start] != 'A' && line_[start] != 'a') ||
        (line_[start + 1] != 'T' && line_[start + 1] != 't'))
        return;
    if (!count_request(std::vector<std::uint8_t>(line_.begin(), line_.end()), false, 0))
        return;
    const std::string answer = at_.answer(line_);
    out.insert(out.end(), answer.begin(), answer.end());
}

void Session::take_frame(std::vector<std::uint8_t>& out) {
    const FrameReader::State state = reader_.state();
    if (state == FrameReader::State::ack || state == FrameReader::State::bad) {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        ++(state == FrameReader::State::ack ? shared_.counters.acks : shared_.counters.bad_frames);
        return;
    }
    std::vector<std::uint8_t> request = reader_.payload();
    const std::uint16_t code = get_u16(request.data());
    if (!count_request(reader_.bytes(), true, code))
        return;
    Faults faults;
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        faults = shared_.faults;
    }
    fs_.set_extras(faults.bigdir, faults.hostile, faults.linebreak, faults.endless, faults.fractal,
                   faults.twins);
    const std::uint64_t chunk = code == code_read_chunk ? ++chunk_replies_ : 0;
    if (chunk != 0 && chunk == faults.bigchunk && request.size() >= 12) {
        // Hands out more than asked for, as a faulty phone might.
        std::vector<std::uint8_t> more(request);
        put_u32(more, 8, get_u32(request.data() + 8) + 80);
        request.swap(more);
    }
    const bool refuse_write =
        code == code_write_chunk && ++chunk_writes_ == faults.writefail && request.size() >= 12;
    if (refuse_write)
        put_u32(request, 4, 0xFFFFFFFF); // an unknown handle: the phone writes nothing
    std::vector<std::uint8_t> payload = files_.answer(request);
    if (chunk != 0 && chunk == faults.miscount && payload.size() >= 12 &&
        get_u32(&payload[8]) >= 20)
        put_u32(payload, 8, get_u32(&payload[8]) - 20); // the data stays: count and frame differ
    if (chunk != 0 && chunk == faults.cutshort && payload.size() >= 12) {
        payload.resize(12); // "no more data", though the file goes on
        put_u16(payload, 2, 8);
        put_u32(payload, 4, 0);
        put_u32(payload, 8, 0);
    }
    std::vector<std::uint8_t> frame = build_frame(payload);
    std::uint64_t number = 0;
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        number = ++shared_.counters.replies;
        shared_.counters.open_handles = fs_.open_handles();
    }
    if (number == faults.lost)
        return;
    if (number == faults.late)
        delay_ms_ = late_ms;
    if (number == faults.badcrc)
        frame[frame.size() - 3] ^= 0x5A;
    if (number == faults.oversize)
        frame[1] = frame[2] = 0xFF;
    if (faults.noise) {
        const std::vector<std::uint8_t> junk = noise_bytes(number);
        out.insert(out.end(), junk.begin(), junk.end());
    }
    if (faults.ack) {
        const std::vector<std::uint8_t> ack = ack_frame();
        out.insert(out.end(), ack.begin(), ack.end());
    }
    // The doubled reply comes when the next request is being answered: it is the first to
    // arrive and reads as that request's reply.
    out.insert(out.end(), repeat_.begin(), repeat_.end());
    repeat_.clear();
    if (number == faults.duplicate)
        repeat_ = frame;
    out.insert(out.end(), frame.begin(), frame.end());
}

} // namespace phonesim
