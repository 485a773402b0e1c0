#pragma once
// The phone's file-transfer protocol over an OrvelCom: request framing, the exchange of a request
// with its reply and acknowledgement, and the seven file operations.
//
// Every operation answers its success, and lastFailure() keeps why the last one failed. A request
// that cannot be written, a reply that is lost, malformed, oversize or has a wrong CRC (its length
// is still printed as "%d \n"), a phone that stays silent (two consecutive empty reads), or a
// reply that is not complete within reply_limit_ms of its first byte fails the exchange, and the
// operation ends with false. After a failed exchange the port is out of step (see orvel_com.h):
// the next request first waits for the line to fall quiet. A failed transfer or listing closes
// the phone's handle unless the port itself is gone.
//
// An echoing line: a frame identical to the request just sent is its echo, not the reply, and is
// skipped (once), as is one acknowledgement from the phone.
//
// Replies carry nothing that names the request they answer. A reply that arrives twice, or late,
// is seen as bytes waiting before the next request: the replies taken since may have been the
// wrong ones, so that request fails (out_of_step) and the line is settled first. A fetch of a
// whole file starts over once after that; a listing fails.
//
// Cancel: requestCancel (any thread) ends a running transfer or listing after its current exchange
// (cancelled): the phone's handle is closed, a partial PC file removed, and the partial phone file
// of an interrupted send deleted; the port stays open.
//
// Progress, emitted from the port's vObject during getFile, putFile and putBuffer:
//   "setprogressinfo" (const char16_t* text): "kopiere <name>" once the phone accepted the open
//       request; an empty text when the transfer completed;
//   "addprogress" (620): after each chunk sent, and after each data-carrying chunk received.

#include <atomic>
#include <cstdint>
#include <optional>

#include "core/alist.h"
#include "core/str.h"
#include "core/stream.h"
#include "link/link_failure.h"
#include "link/orvel_com.h"
#include "link/samsung_packet.h"

// One listed phone directory entry; its text is the entry's name, carried as the phone sent it
// (each byte one character). Callers check names before making PC paths of them.
class SamsungDirEntry : public str {
public:
    static constexpr std::uint32_t directory_bit = 0x200;

    SamsungDirEntry() = default;
    explicit SamsungDirEntry(const char* name8) : str(name8) {}

    bool isDirectory() const { return (attributes & directory_bit) != 0; }

    str path; // the listed directory, normalised, followed by the name
    std::uint32_t attributes = 0;
    std::uint32_t size = 0;  // bytes
    std::uint32_t extra = 0; // a further value of the phone, passed on unchanged
};

class SamsungProtocol {
public:
    // Request codes.
    enum : std::uint16_t {
        cmd_open_read = 0,
        cmd_close_file = 1,
        cmd_read_chunk = 2,
        cmd_write_chunk = 3,
        cmd_open_write = 4,
        cmd_delete = 5,
        cmd_open_dir = 8,
        cmd_close_dir = 9,
        cmd_read_entry = 10,
        cmd_make_dir = 11,
    };
    // Open modes sent as the word of the open requests.
    static constexpr std::uint32_t mode_read = 2;
    static constexpr std::uint32_t mode_write = 5;
    // Data bytes per chunk, both ways; also the progress step.
    static constexpr std::uint32_t chunk_size = 620;
    // listDir stops (false) once the list holds this many entries: far more than a phone folder
    // holds, and a bound on the memory a phone that never ends its listing can take.
    static constexpr unsigned max_entries = 1'000'000;
    // The handle value a phone answers when it refuses to open.
    static constexpr std::uint32_t bad_handle = 0xFFFFFFFFu;
    // A reply must be complete within this time of its first byte, whatever trickles in.
    static constexpr std::uint32_t reply_limit_ms = 5000;
    // The most bytes a fetch takes: file sizes are 32-bit words in the protocol.
    static constexpr std::uint64_t max_file_bytes = 0xFFFFFFFFu;

    explicit SamsungProtocol(OrvelCom* port);
    SamsungProtocol(const SamsungProtocol&) = delete;
    SamsungProtocol& operator=(const SamsungProtocol&) = delete;

    // Write a request and seal it (length, CRC, end byte). Handle form: word then data; path form:
    // data alone. False, leaving the packet empty, when the frame would not fit the packet.
    static bool buildHandleRequest(SamsungPacket& packet, std::uint16_t command, std::uint32_t word,
                                   const void* data = nullptr, std::uint32_t length = 0);
    static bool buildPathRequest(SamsungPacket& packet, std::uint16_t command, const void* data,
                                 std::uint32_t length);
    // Path form carrying a phone path as its 8-bit copy plus a zero byte.
    static bool buildPathRequest(SamsungPacket& packet, std::uint16_t command, const str& path);
    // Handle form carrying a phone path as its 8-bit copy plus a zero byte.
    static bool buildHandleRequest(SamsungPacket& packet, std::uint16_t command, std::uint32_t word,
                                   const str& path);

    // Sends the request and receives its reply into reply() (one echo of the request and one
    // acknowledgement from the phone before the reply are skipped). True only when a well-formed
    // reply with a good CRC arrived.
    bool exchange(SamsungPacket& request);
    // Writes the acknowledgement frame; the result of the write.
    bool sendAck();
    // Receives one frame into reply(): skips bytes before 0x7F, reads the header and exactly
    // L + 1 further bytes. False when nothing arrives, the frame is cut short, does not fit, is not
    // complete within reply_limit_ms of its first byte, or its CRC is wrong.
    bool receiveFrame();

    // Copies a phone file into a PC file. The data goes to a temporary file beside the target,
    // which replaces the target only when the transfer completed (see pc_fetch_file: a target
    // that is no regular file is refused before anything is sent). A file that goes past the
    // fetch limit fails (too_large). With the size known (from a listing), fewer or more bytes
    // than that fail (wrong_size). A fetch that found the line out of step starts over once.
    bool getFile(const str& phonePath, const str& pcPath,
                 std::optional<std::uint32_t> size = std::nullopt);
    // Copies an existing PC file to the phone; a missing PC file fails without sending anything.
    bool putFile(const str& pcPath, const str& phonePath);
    // Reads a phone file into the stream (emptied first; empty again on failure).
    bool getBuffer(const str& phonePath, buf& target);
    // Writes the whole stream (from position 0 to its size) to a phone file.
    bool putBuffer(const str& phonePath, iostore& source);
    bool deleteFile(const str& phonePath);
    bool makeDir(const str& phonePath);
    // Lists a phone directory into target, or into the protocol's own entry list when target is
    // null. The list is emptied first. Stops with false at max_entries, keeping those entries.
    // The entry limit can be lowered for tests with setEntryLimit.
    bool listDir(const str& phonePath, alist<SamsungDirEntry>* target = nullptr);

    // The protocol's own entry list, as filled by the last listDir without a target.
    unsigned entryCount() const { return entries_.count(); }
    SamsungDirEntry* entry(unsigned index) const { return entries_.get(index); }
    alist<SamsungDirEntry>& entries() { return entries_; }

    const SamsungPacket& reply() const { return reply_; }
    OrvelCom* port() const { return port_; }

    // Why the last failed operation failed. Read on the thread that ran it.
    const link_failure& lastFailure() const { return failure_; }
    // The most bytes getFile and getBuffer take (max_file_bytes); lowered by tests.
    void setFetchLimit(std::uint64_t bytes) { fetch_limit_ = bytes; }
    void setEntryLimit(unsigned entries) { entry_limit_ = entries; }

    // Asks the running operation to stop after its current exchange (any thread).
    void requestCancel() { cancel_.store(true); }
    // Forgets a cancel request, before the next job (the link's queue lock orders the two).
    void resetCancel() { cancel_.store(false); }
    bool cancelRequested() const { return cancel_.load(); }

private:
    // Open request for a file (code 0 or 4) whose reply handle is taken; false on failure or a
    // refusal (all bits set).
    bool openFile(std::uint16_t command, std::uint32_t mode, const str& phonePath,
                  std::uint32_t& handle);
    // Close request (code 1 or 9) and its acknowledgement.
    bool closeHandle(std::uint16_t command, std::uint32_t handle);
    // Exchange then acknowledgement.
    bool transact(SamsungPacket& request);
    // After a failure with the phone's handle open: closes it where the port still works,
    // keeping the first failure's reason. Always false.
    bool abandon(std::uint16_t closeCommand, std::uint32_t handle);
    // Reads exactly count bytes, tolerating pauses; false after two consecutive empty reads or
    // at the deadline (steady-clock milliseconds).
    bool readExact(std::uint8_t* into, std::uint32_t count, std::int64_t deadline);
    // Sends chunks of the stream from its current position to its size.
    bool sendChunks(iostore& source, std::uint64_t total, std::uint32_t handle);
    bool receiveChunks(iobase& sink, std::uint32_t handle, bool progress,
                       std::optional<std::uint32_t> size = std::nullopt);
    // One attempt of getFile.
    bool fetchFile(const str& phonePath, const str& pcPath, std::optional<std::uint32_t> size);
    // Before a request on a line in step: false (out_of_step) when bytes other than
    // acknowledgements are waiting, which answer no request of ours.
    bool inputIsClean();
    void progressText(const str& phonePath);
    // Records a failure; false.
    bool fail(link_error error, const str& detail = str());
    // True (with the failure recorded) when a cancel was asked for.
    bool cancelled();
    // After a send failed: a cancelled one removes the partial phone file.
    bool dropPartial(const str& phonePath);
    // Records the port's reason for its last failure; false.
    bool failFromPort();

    OrvelCom* port_;
    SamsungPacket reply_;
    alist<SamsungDirEntry> entries_;
    link_failure failure_;
    std::uint64_t fetch_limit_ = max_file_bytes;
    unsigned entry_limit_ = max_entries;
    // The port's open count when a reply last arrived: bytes waiting on a newer connection are
    // left over from before it, not replies to this protocol's requests.
    std::uint32_t replied_on_open_ = 0;
    std::atomic<bool> cancel_{false};
};
