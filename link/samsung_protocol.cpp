// Request framing, the request/reply/acknowledgement exchange and the file operations of the
// phone's file-transfer protocol.

#include "link/samsung_protocol.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/pc_file.h"

namespace {

constexpr std::uint8_t ack_frame[] = {0x7F, 0x01, 0x00, 0x42, 0x01, 0x7E};

// Offsets of reply fields, from the start of the frame.
constexpr std::uint32_t at_word = 8;    // handle, more-data word or entry word
constexpr std::uint32_t at_count = 12;  // read chunk: byte count
constexpr std::uint32_t at_data = 16;   // read chunk: data
constexpr std::uint32_t at_size = 16;   // entry: size
constexpr std::uint32_t at_attr = 20;   // entry: attributes
constexpr std::uint32_t at_name = 48;   // entry: name, zero-terminated
constexpr std::uint32_t at_extra = 332; // entry: further value

// Bytes of noise skipped while looking for a start byte before the receive gives up.
constexpr std::uint32_t max_noise = SamsungPacket::capacity;
// Consecutive reads that bring nothing before a receive gives up on a silent phone.
constexpr int max_empty_reads = 2;
// Consecutive read-chunk replies that announce more data but carry none before a transfer gives
// up: a phone stuck in that state would otherwise keep the transfer going forever.
constexpr int max_idle_chunks = 64;

std::int64_t now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The largest payload whose frame fits a packet.
constexpr std::uint32_t max_payload = SamsungPacket::max_length - 2;

bool seal(SamsungPacket& packet, std::uint16_t command, std::uint32_t body_length) {
    std::uint8_t* d = packet.data();
    std::uint32_t payload = 4 + body_length;
    std::uint32_t length = payload + 2;
    put_u16le(d + 4, command);
    put_u16le(d + 6, body_length);
    packet.setLengthField(length);
    std::uint16_t crc = crc16_cms(d + SamsungPacket::header_size, payload);
    d[length + 2] = static_cast<std::uint8_t>(crc >> 8);
    d[length + 3] = static_cast<std::uint8_t>(crc);
    d[length + 4] = SamsungPacket::end_byte;
    packet.setFrameLength(length + SamsungPacket::frame_overhead);
    return true;
}

// A phone path goes out as its 8-bit copy; characters that have no 8-bit form cannot name a
// phone file, so such a path is refused rather than sent with substitutes.
bool fits_8bit(const str& path) {
    for (int i = 0; i < path.length(); ++i)
        if (path[i] > 0xFF || path[i] == 0)
            return false;
    return true;
}

// A byte count with thousands grouped: "200,000".
str grouped(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    return str(digits.c_str());
}

// The name part of a phone path: the text after its last "/" or "\".
str file_name_of(const str& path) {
    int cut = path.find_last_of(u"/\\");
    return str(path.substr(cut + 1));
}

} // namespace

SamsungProtocol::SamsungProtocol(OrvelCom* port) : port_(port), entries_(256, true) {}

// ---------------------------------------------------------------------------------------------
// Framing

bool SamsungProtocol::buildHandleRequest(SamsungPacket& packet, std::uint16_t command,
                                         std::uint32_t word, const void* data,
                                         std::uint32_t length) {
    packet.reset();
    if (!data)
        length = 0;
    if (length > max_payload - 8)
        return false;
    std::uint8_t* d = packet.data();
    put_u32le(d + 8, word);
    if (length)
        std::memcpy(d + 12, data, length);
    return seal(packet, command, length + 4);
}

bool SamsungProtocol::buildPathRequest(SamsungPacket& packet, std::uint16_t command,
                                       const void* data, std::uint32_t length) {
    packet.reset();
    if (!data)
        length = 0;
    if (length > max_payload - 4)
        return false;
    if (length)
        std::memcpy(packet.data() + 8, data, length);
    return seal(packet, command, length);
}

bool SamsungProtocol::buildPathRequest(SamsungPacket& packet, std::uint16_t command,
                                       const str& path) {
    packet.reset();
    if (!fits_8bit(path))
        return false;
    return buildPathRequest(packet, command, path.narrow(),
                            static_cast<std::uint32_t>(path.length()) + 1);
}

bool SamsungProtocol::buildHandleRequest(SamsungPacket& packet, std::uint16_t command,
                                         std::uint32_t word, const str& path) {
    packet.reset();
    if (!fits_8bit(path))
        return false;
    return buildHandleRequest(packet, command, word, path.narrow(),
                              static_cast<std::uint32_t>(path.length()) + 1);
}

// ---------------------------------------------------------------------------------------------
// Exchange

bool SamsungProtocol::fail(link_error error, const str& detail) {
    failure_.error = error;
    failure_.detail = detail;
    return false;
}

bool SamsungProtocol::cancelled() {
    if (!cancel_.load())
        return false;
    fail(link_error::cancelled);
    return true;
}

bool SamsungProtocol::dropPartial(const str& phonePath) {
    if (failure_.error == link_error::cancelled && port_ && port_->isOpen()) {
        const link_failure first = failure_;
        cancel_.store(false); // the delete itself must go out
        deleteFile(phonePath);
        cancel_.store(true);
        failure_ = first;
    }
    return false;
}

bool SamsungProtocol::failFromPort() {
    failure_ = port_ ? port_->lastFailure() : link_failure();
    if (!failure_)
        failure_.error = link_error::no_port;
    return false;
}

bool SamsungProtocol::sendAck() {
    std::uint32_t sent = 0;
    if (!port_)
        return fail(link_error::no_port);
    if (!port_->writeBytes(ack_frame, sizeof ack_frame, &sent))
        return failFromPort();
    if (sent != sizeof ack_frame)
        return fail(link_error::port_failed, str(u"the acknowledgement was not sent whole"));
    return true;
}

bool SamsungProtocol::readExact(std::uint8_t* into, std::uint32_t count, std::int64_t deadline) {
    int empty = 0;
    while (count > 0) {
        // Take what has arrived; with nothing there, wait for one byte, which bounds a wait on a
        // phone that fell silent to one short time-out, and a trickle to the deadline.
        const std::uint32_t waiting = port_->bytesWaiting();
        const std::uint32_t want = waiting > 0 ? std::min(count, waiting) : 1;
        std::uint32_t got = 0;
        if (!port_->readBytes(into, want, &got))
            return failFromPort();
        if (got == 0) {
            if (++empty >= max_empty_reads)
                return fail(link_error::bad_frame, str(u"the reply stopped short"));
        } else {
            empty = 0;
            got = std::min(got, want);
            into += got;
            count -= got;
        }
        if (count > 0 && now_ms() >= deadline)
            return fail(link_error::incomplete);
    }
    return true;
}

bool SamsungProtocol::receiveFrame() {
    reply_.reset();
    if (!port_)
        return fail(link_error::no_port);
    std::uint8_t* d = reply_.data();

    // Skip anything before a start byte. The deadline runs from the first byte that arrives.
    int empty = 0;
    std::uint32_t noise = 0;
    std::int64_t deadline = 0;
    for (;;) {
        std::uint8_t byte = 0;
        std::uint32_t got = 0;
        if (!port_->readBytes(&byte, 1, &got))
            return failFromPort();
        if (got == 0) {
            if (++empty >= max_empty_reads)
                return fail(deadline == 0 ? link_error::no_answer : link_error::incomplete);
            if (deadline != 0 && now_ms() >= deadline)
                return fail(link_error::incomplete);
            continue;
        }
        empty = 0;
        if (deadline == 0)
            deadline = now_ms() + reply_limit_ms;
        if (byte == SamsungPacket::start_byte)
            break;
        if (++noise > max_noise)
            return fail(link_error::bad_frame, str(u"no frame in what arrived"));
        if (now_ms() >= deadline)
            return fail(link_error::incomplete);
    }

    // Length and type byte; then exactly the rest of the frame: payload, CRC and end byte.
    if (!readExact(d + 1, 3, deadline)) {
        reply_.reset();
        return false;
    }
    std::uint32_t length = get_u16le(d + 1);
    if (length == 0 || length > SamsungPacket::max_length) {
        reply_.reset();
        return fail(link_error::bad_frame, str(u"its length does not fit"));
    }
    if (!readExact(d + SamsungPacket::header_size, length + 1, deadline)) {
        reply_.reset();
        return false;
    }
    reply_.setFrameLength(length + SamsungPacket::frame_overhead);

    if (length == 1 && !reply_.isAck()) {
        reply_.reset();
        return fail(link_error::bad_frame, str(u"a one-byte frame that is no acknowledgement"));
    }
    if (!reply_.crcMatches()) {
        std::printf("%d \n", static_cast<int>(length));
        std::fflush(stdout);
        reply_.reset();
        return fail(link_error::bad_frame, str(u"wrong CRC"));
    }
    return true;
}

bool SamsungProtocol::inputIsClean() {
    // Our own acknowledgement may come back on an echoing line; anything else is a reply that
    // answers no request.
    std::uint8_t waiting[256];
    std::uint32_t seen = 0;
    for (int round = 0; round < 64; ++round) {
        const std::uint32_t count = std::min<std::uint32_t>(port_->bytesWaiting(), sizeof waiting);
        if (count == 0)
            return true;
        std::uint32_t got = 0;
        if (!port_->readBytes(waiting, count, &got))
            return failFromPort();
        for (std::uint32_t i = 0; i < got; ++i, ++seen) {
            if (waiting[i] != ack_frame[seen % sizeof ack_frame]) {
                port_->markOutOfStep();
                return fail(link_error::out_of_step);
            }
        }
        if (got == 0)
            return true;
    }
    return true;
}

bool SamsungProtocol::exchange(SamsungPacket& request) {
    if (!port_)
        return fail(link_error::no_port);
    if (request.frameLength() == 0)
        return fail(link_error::bad_request);
    if (!port_->outOfStep() && replied_on_open_ == port_->openCount()) {
        // In step since our last reply: nothing but our own acknowledgement may be waiting.
        if (!inputIsClean())
            return false;
    } else if (!port_->settleInput()) {
        // A late reply to an earlier, failed request must not pass for this one's, and bytes
        // left over from before this connection are no reply of ours.
        return failFromPort();
    }
    std::uint32_t sent = 0;
    const bool written = port_->writeBytes(request.data(), request.frameLength(), &sent);
    if (!written || sent != request.frameLength()) {
        if (written)
            fail(link_error::port_failed, str(u"the request was not sent whole"));
        else
            failFromPort();
        port_->markOutOfStep();
        return false;
    }
    // Before the reply: one echo of the request (an echoing line) and one acknowledgement of the
    // phone. An acknowledgement ahead of the echo was our own, echoed, and does not count.
    bool echo_seen = false;
    bool ack_seen = false;
    for (;;) {
        if (!receiveFrame()) {
            port_->markOutOfStep();
            return false;
        }
        if (!echo_seen && reply_.frameLength() == request.frameLength() &&
            std::memcmp(reply_.data(), request.data(), request.frameLength()) == 0) {
            echo_seen = true;
            ack_seen = false;
            continue;
        }
        if (!ack_seen && reply_.isAck()) {
            ack_seen = true;
            continue;
        }
        replied_on_open_ = port_->openCount();
        return true;
    }
}

bool SamsungProtocol::transact(SamsungPacket& request) {
    return exchange(request) && sendAck();
}

// ---------------------------------------------------------------------------------------------
// Shared steps of the file operations

bool SamsungProtocol::openFile(std::uint16_t command, std::uint32_t mode, const str& phonePath,
                               std::uint32_t& handle) {
    SamsungPacket request;
    if (!buildHandleRequest(request, command, mode, phonePath))
        return fail(link_error::bad_request);
    if (!transact(request))
        return false;
    if (!reply_.u32At(at_word, handle))
        return fail(link_error::bad_frame, str(u"the reply holds no handle"));
    if (handle == bad_handle)
        return fail(link_error::refused);
    return true;
}

bool SamsungProtocol::closeHandle(std::uint16_t command, std::uint32_t handle) {
    SamsungPacket request;
    return buildHandleRequest(request, command, handle) && transact(request);
}

bool SamsungProtocol::abandon(std::uint16_t closeCommand, std::uint32_t handle) {
    if (port_ && port_->isOpen()) {
        const link_failure first = failure_;
        closeHandle(closeCommand, handle);
        failure_ = first;
    }
    return false;
}

void SamsungProtocol::progressText(const str& phonePath) {
    str text(u"kopiere ");
    text.append(file_name_of(phonePath));
    emit(port_, u"setprogressinfo", text.c_str());
}

bool SamsungProtocol::sendChunks(iostore& source, std::uint64_t total, std::uint32_t handle) {
    SamsungPacket request;
    std::uint8_t body[4 + chunk_size];
    while (source.position() < total) {
        if (cancelled())
            return abandon(cmd_close_file, handle);
        std::uint32_t want = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(chunk_size, total - source.position()));
        std::uint32_t got = 0;
        if (!source.read(body + 4, want, &got) || got == 0 || got > want) {
            // The source cannot deliver what it claims to hold: end the transfer.
            str why(u"cannot read PC file ");
            why.append(source.name());
            fail(link_error::pc_file, why);
            return abandon(cmd_close_file, handle);
        }
        put_u32le(body, got);
        if (!buildHandleRequest(request, cmd_write_chunk, handle, body, got + 4) ||
            !transact(request))
            return abandon(cmd_close_file, handle);
        // A reply word with all bits set is the phone's refusal to write the chunk.
        std::uint32_t status = 0;
        if (reply_.u32At(at_word, status) && status == bad_handle) {
            fail(link_error::refused);
            return abandon(cmd_close_file, handle);
        }
        emit(port_, u"addprogress", chunk_size);
    }
    return true;
}

// Reads the chunks of an open phone file into sink until the phone reports the end, then closes
// the handle. False when an exchange, a reply or the sink fails, or the file goes past the fetch
// limit; the handle is closed then too where the port still works.
bool SamsungProtocol::receiveChunks(iobase& sink, std::uint32_t handle, bool progress,
                                    std::optional<std::uint32_t> size) {
    SamsungPacket request;
    std::uint8_t want[4];
    put_u32le(want, chunk_size);
    int idle = 0;
    std::uint64_t received = 0;
    for (;;) {
        if (cancelled())
            return abandon(cmd_close_file, handle);
        std::uint32_t more = 0, count = 0, written = 0;
        if (!buildHandleRequest(request, cmd_read_chunk, handle, want, sizeof want) ||
            !transact(request))
            return abandon(cmd_close_file, handle);
        if (!reply_.u32At(at_word, more)) {
            fail(link_error::bad_frame, str(u"a chunk reply without its words"));
            return abandon(cmd_close_file, handle);
        }
        if (more == 0) {
            if (size && received != *size) {
                str why(u"the phone sent ");
                why.append(grouped(received));
                why.append(u" of ");
                why.append(grouped(*size));
                why.append(u" bytes");
                fail(link_error::wrong_size, why);
                return abandon(cmd_close_file, handle);
            }
            return closeHandle(cmd_close_file, handle);
        }
        if (progress)
            emit(port_, u"addprogress", chunk_size);
        // The count must be exactly the data the frame carries: a dropped, cut or padded chunk
        // would corrupt the file.
        if (!reply_.u32At(at_count, count) || count > chunk_size || !reply_.holds(at_data, count) ||
            reply_.payloadEnd() - at_data != count) {
            fail(link_error::bad_frame, str(u"a chunk count that does not fit"));
            return abandon(cmd_close_file, handle);
        }
        idle = count == 0 ? idle + 1 : 0;
        if (idle > max_idle_chunks) {
            fail(link_error::bad_frame, str(u"the announced data never came"));
            return abandon(cmd_close_file, handle);
        }
        if (count > fetch_limit_ - received) {
            fail(link_error::too_large);
            return abandon(cmd_close_file, handle);
        }
        received += count;
        if (size && received > *size) {
            str why(u"the phone sent more than the ");
            why.append(grouped(*size));
            why.append(u" bytes it listed");
            fail(link_error::wrong_size, why);
            return abandon(cmd_close_file, handle);
        }
        if (count != 0 &&
            (!sink.write(reply_.data() + at_data, count, &written) || written != count)) {
            // The PC side failed: tell the phone we are done with the file.
            fail(link_error::pc_file, str(u"cannot keep the received data"));
            return abandon(cmd_close_file, handle);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// File operations

bool SamsungProtocol::getFile(const str& phonePath, const str& pcPath,
                              std::optional<std::uint32_t> size) {
    // A fetch that met a doubled or late reply may have taken a wrong chunk; it starts over
    // from the first byte once, after the line has settled.
    if (fetchFile(phonePath, pcPath, size))
        return true;
    if (failure_.error != link_error::out_of_step)
        return false;
    return fetchFile(phonePath, pcPath, size);
}

bool SamsungProtocol::fetchFile(const str& phonePath, const str& pcPath,
                                std::optional<std::uint32_t> size) {
    if (!port_)
        return fail(link_error::no_port);
    // Checked and prepared before anything is asked of the phone.
    pc_fetch_file out;
    if (!out.begin(pcPath)) {
        failure_ = out.failure();
        return false;
    }

    std::uint32_t handle = 0;
    if (!openFile(cmd_open_read, mode_read, phonePath, handle))
        return false; // out removes its temporary file
    progressText(phonePath);
    if (!receiveChunks(out, handle, true, size)) {
        if (out.failure())
            failure_ = out.failure();
        return false;
    }
    if (!out.commit()) {
        failure_ = out.failure();
        return false;
    }
    emit(port_, u"setprogressinfo", u"");
    return true;
}

bool SamsungProtocol::putFile(const str& pcPath, const str& phonePath) {
    if (!port_)
        return fail(link_error::no_port);
    // Only an existing file is sent; nothing is created on the PC.
    str cannot(u"cannot read PC file ");
    cannot.append(pcPath);
    if (pcPath.empty())
        return fail(link_error::pc_file, str(u"cannot read PC file: no name given"));
    file in;
    in.set_creation(open_existing);
    if (!in.open(pcPath.c_str())) {
        const str why = last_system_error_text();
        cannot.append(u": ");
        cannot.append(why);
        return fail(link_error::pc_file, cannot);
    }
    // Every byte goes out, a 16-bit text mark at the start included.
    if (!in.seek(0))
        return fail(link_error::pc_file, cannot);
    std::uint64_t total = in.size();

    std::uint32_t handle = 0;
    if (!openFile(cmd_open_write, mode_write, phonePath, handle))
        return false;
    progressText(phonePath);
    if (!sendChunks(in, total, handle) || !closeHandle(cmd_close_file, handle))
        return dropPartial(phonePath);
    emit(port_, u"setprogressinfo", u"");
    return true;
}

bool SamsungProtocol::putBuffer(const str& phonePath, iostore& source) {
    if (!port_)
        return fail(link_error::no_port);
    std::uint32_t handle = 0;
    if (!openFile(cmd_open_write, mode_write, phonePath, handle))
        return false;
    progressText(phonePath);
    source.seek(0);
    if (!sendChunks(source, source.size(), handle) || !closeHandle(cmd_close_file, handle))
        return dropPartial(phonePath);
    emit(port_, u"setprogressinfo", u"");
    return true;
}

bool SamsungProtocol::getBuffer(const str& phonePath, buf& target) {
    if (!target.is_open())
        target.open();
    target.empty();
    if (!port_)
        return fail(link_error::no_port);

    std::uint32_t handle = 0;
    if (openFile(cmd_open_read, mode_read, phonePath, handle) &&
        receiveChunks(target, handle, false))
        return true;
    target.empty();
    return false;
}

bool SamsungProtocol::deleteFile(const str& phonePath) {
    SamsungPacket request;
    if (!port_)
        return fail(link_error::no_port);
    if (!buildPathRequest(request, cmd_delete, phonePath))
        return fail(link_error::bad_request);
    return transact(request);
}

bool SamsungProtocol::makeDir(const str& phonePath) {
    SamsungPacket request;
    if (!port_)
        return fail(link_error::no_port);
    if (!buildPathRequest(request, cmd_make_dir, phonePath))
        return fail(link_error::bad_request);
    return transact(request);
}

bool SamsungProtocol::listDir(const str& phonePath, alist<SamsungDirEntry>* target) {
    alist<SamsungDirEntry>& list = target ? *target : entries_;
    list.clear();
    if (!port_)
        return fail(link_error::no_port);

    SamsungPacket request;
    std::uint32_t handle = 0;
    if (!buildPathRequest(request, cmd_open_dir, phonePath))
        return fail(link_error::bad_request);
    if (!transact(request))
        return false;
    if (!reply_.u32At(at_word, handle))
        return fail(link_error::bad_frame, str(u"the reply holds no handle"));
    if (handle == bad_handle)
        return fail(link_error::refused);

    str base(phonePath);
    normalise_dir(base);
    while (list.count() < entry_limit_) {
        if (cancelled())
            return abandon(cmd_close_dir, handle);
        std::uint32_t word = 0;
        if (!buildHandleRequest(request, cmd_read_entry, handle) || !transact(request))
            return abandon(cmd_close_dir, handle);
        if (!reply_.u32At(at_word, word)) {
            fail(link_error::bad_frame, str(u"an entry reply without its words"));
            return abandon(cmd_close_dir, handle);
        }
        if (word == 0)
            return closeHandle(cmd_close_dir, handle);

        auto* entry = new SamsungDirEntry;
        if (!reply_.u32At(at_size, entry->size) || !reply_.u32At(at_attr, entry->attributes)) {
            delete entry;
            fail(link_error::bad_frame, str(u"an entry reply too short"));
            return abandon(cmd_close_dir, handle);
        }
        // The name ends at its zero byte, and never beyond the frame.
        std::uint32_t end = reply_.payloadEnd();
        const std::uint8_t* name = reply_.data() + at_name;
        std::uint32_t room = end > at_name ? end - at_name : 0;
        const void* zero = std::memchr(name, 0, room);
        std::uint32_t length =
            zero ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(zero) - name) : room;
        entry->assign8(reinterpret_cast<const char*>(name), static_cast<int>(length));
        if (!reply_.u32At(at_extra, entry->extra))
            entry->extra = 0;
        entry->path.assign(base);
        entry->path.append(*entry);
        if (!list.push(entry)) {
            delete entry;
            fail(link_error::bad_request, str(u"the entry list cannot grow"));
            return abandon(cmd_close_dir, handle);
        }
    }
    closeHandle(cmd_close_dir, handle);
    return fail(link_error::too_many_entries);
}
