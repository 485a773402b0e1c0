#pragma once
// The phone simulator: a stand-in phone behind a pseudo-terminal. It answers AT command lines and
// the framed file-transfer requests, serving a folder of this machine as the phone's file system.
// Run it in-process on a thread with `phonesim::Phone`, or as the program `orvel-phonesim`.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace phonesim {

// Faults the phone can be told to show. Counts n are 1-based; 0 switches the fault off.
struct Faults {
    bool noise = false;     // junk bytes (never 0x7F) before every reply frame
    unsigned badcrc = 0;    // the n-th reply frame carries a wrong CRC
    unsigned lost = 0;      // the n-th reply frame is never sent
    bool ack = false;       // an acknowledgement frame goes before every reply frame
    unsigned silent = 0;    // from the n-th request on (AT lines and frames) nothing answers
    unsigned slow_ms = 0;   // a gap of this many milliseconds after every byte sent
    unsigned oversize = 0;  // the n-th reply frame has a length field of 0xFFFF
    unsigned bigdir = 0;    // a read-only folder "/big" of this many generated files
    bool hostile = false;   // every listing also holds entries with unsafe names
    bool echo = false;      // every byte received is sent straight back, as on an echoing line
    unsigned late = 0;      // the n-th reply frame is sent late_ms after its request
    unsigned babble = 0;    // from the n-th request on nothing answers; text without end instead
    bool endless = false;   // reading a file never reaches its end: generated data follows it
    unsigned bigchunk = 0;  // the n-th read-chunk reply carries more bytes than were asked for
    bool linebreak = false; // every listing also holds a file whose name holds a line break
    unsigned duplicate = 0; // the n-th reply frame is sent again, right before the next reply
    unsigned miscount = 0;  // the n-th read-chunk reply's count is 20 below the bytes it carries
    unsigned cutshort = 0;  // the n-th read-chunk reply says "no more data" though the file goes on
    bool fractal = false;   // every folder lists two more folders, without end
    unsigned writefail = 0; // the n-th write-chunk request is refused: nothing is written
    bool twins = false;     // every listing holds two files whose names differ only in case
};

// How late a `late` reply comes: longer than a receive waits for a silent phone.
constexpr unsigned late_ms = 6000;
// Bytes of a babbling phone: text that is never a frame or a result line.
constexpr char babble_text[] = "~~ line noise ~~\r\n";
// The name of the `linebreak` entry: it would read as a line of its own in a listing.
constexpr char linebreak_name[] = "x\n-\t999\tforged";

// Applies one fault word ("noise", "badcrc=3", "slow=20", ...) to `faults`. False when the word is
// unknown or its number is missing or malformed.
bool parse_fault(const std::string& word, Faults& faults);

struct Options {
    std::string root;  // the folder served as the phone's file system
    unsigned baud = 0; // paces the phone's output at 10 bits per byte; 0 = as fast as possible
    Faults faults;
};

struct Counters {
    std::uint64_t bytes_received = 0; // every byte the PC side sent
    std::uint64_t requests = 0;       // AT lines and request frames (acknowledgements not counted)
    std::uint64_t at_lines = 0;       // AT command lines
    std::uint64_t frames = 0;         // well-formed request frames
    std::uint64_t acks = 0;           // acknowledgement frames received
    std::uint64_t bad_frames = 0;     // frames dropped: wrong CRC, length, type or end byte
    std::uint64_t replies = 0;        // reply frames produced (including lost ones)
    std::uint32_t open_handles = 0;   // file and directory handles currently open
    std::vector<std::uint8_t> last_request; // the last request: whole frame, or AT line without CR
    std::vector<std::uint16_t>
        codes; // command codes of the request frames in order (first million)
};

// One simulated phone on its own thread. Not copyable; stop() or destruction ends it.
class Phone {
public:
    Phone();
    ~Phone();
    Phone(const Phone&) = delete;
    Phone& operator=(const Phone&) = delete;

    // Opens a pseudo-terminal and starts serving. Returns the device path of the terminal end
    // (such as /dev/pts/7) or an empty text when the phone could not start (or already runs).
    std::string start(const Options& options);
    void stop();
    bool running() const;
    std::string device_path() const;

    // Replaces the faults from now on (counts keep referring to the totals since start).
    void set_faults(const Faults& faults);
    Counters counters() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace phonesim
