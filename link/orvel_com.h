#pragma once
// The serial port to the phone: open/close/probe by name, raw byte reads and writes with the
// line's time-outs, and the AT command exchange. One header, two platform implementations
// (orvel_com_win32.cpp, orvel_com_posix.cpp).
//
// Reads and writes follow the Windows comm time-outs on every platform: a read of n bytes returns
// as soon as n bytes arrived, or 150 ms after the last byte once at least one arrived, or
// 2,000 + 150 x n ms after it started; a time-out is a success with what arrived (maybe nothing).
//
// Threads: reads, writes and sendAT run on the link worker; openPort, closePort and probePort may
// run on another thread at the same time. closePort makes a pending read or write fail promptly
// and closes the handle only after that call has left it.
//
// Signals (from this vObject): "connected" at the end of a successful openPort and
// "disconnected" in closePort before the port goes away; one word: this object's vObject*.
//
// Staying in step: after an exchange failed (no answer in time, a garbled one) an answer may
// still be on its way. markOutOfStep notes that; settleInput, called before every request, then
// reads and discards until the line has been quiet for a read time-out, so a late answer never
// passes for the answer to a later request.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "core/str.h"
#include "core/vobject.h"
#include "link/link_failure.h"

class OrvelCom : public vObject {
public:
    // A system comm handle as a number: a HANDLE on Windows, a file descriptor elsewhere.
    using comm_handle = std::intptr_t;

    // Line rate of a connection; a probe runs at probe_multiplier times this.
    static constexpr std::uint32_t base_rate = 115200;
    static constexpr int probe_multiplier = 4;

    // Port time-outs, in milliseconds.
    static constexpr std::uint32_t read_interval_ms = 150;
    static constexpr std::uint32_t read_per_byte_ms = 150;
    static constexpr std::uint32_t read_constant_ms = 2000;
    // How long the line must stay quiet before an out-of-step port takes its next request: the
    // time-out of a one-byte read.
    static constexpr std::uint32_t quiet_ms = read_constant_ms + read_per_byte_ms;
    // A line that does not fall quiet within this time fails the request that waited for it.
    static constexpr std::uint32_t settle_limit_ms = 8000;
    // An AT answer that has begun must reach its result line within this time.
    static constexpr std::uint32_t answer_limit_ms = 5000;

    OrvelCom();
    OrvelCom(const OrvelCom&) = delete;
    OrvelCom& operator=(const OrvelCom&) = delete;
    ~OrvelCom(); // closePort

    // Closes any open port (emitting "disconnected"), opens the named one, configures it for a
    // connection and emits "connected". An empty name or a failed open: false, nothing emitted.
    // Refused, with nothing written to it: a name that is no serial device (port not_a_port),
    // and a port that another program holds (port_busy; on POSIX an exclusive flock is taken
    // besides TIOCEXCL, which does not stop root).
    bool openPort(const str& name);
    // Emits "disconnected" and closes the port when one is open; otherwise does nothing.
    void closePort();
    // Opens the named port on a handle of its own, asks for the serial number ("AT+CGSN\r") and
    // closes it again; true when it looks like a phone. Leaves the open port alone; emits nothing.
    bool probePort(const str& name);
    // Applies the line settings (8N1, RTS and DTR on, rate base_rate x multiplier) and the
    // time-outs to any comm handle; true when the driver took both.
    static bool configurePort(comm_handle handle, int multiplier);

    // Raw I/O on the open port. False when no port is open (transferred untouched) or the call
    // failed or was cancelled; a short or empty transfer under the time-outs is a success.
    bool readBytes(void* buffer, std::uint32_t count, std::uint32_t* transferred = nullptr);
    bool writeBytes(const void* buffer, std::uint32_t count, std::uint32_t* transferred = nullptr);
    // Received bytes waiting in the driver's input queue; 0 when no port is open.
    std::uint32_t bytesWaiting();

    // Sends one AT command line (the command carries its own "\r") and collects the answer's
    // information lines, joined by "\n", up to the result line "OK", "ERROR" or "BUSY". False
    // when the command cannot be written, the answer does not begin within 200 ms, a read fails,
    // the port stays silent for two consecutive reads, or no result line came within
    // answer_limit_ms of the answer's start; the reply then holds what was collected.
    // lastFailure: no_answer when nothing but the command's echo came, else incomplete.
    bool sendAT(const str& command, str& reply);

    bool isOpen() const;

    // Why the last failed openPort, read, write, settleInput or sendAT failed. probePort leaves
    // it alone. Callable from any thread.
    link_failure lastFailure() const;
    void setFailure(link_error error, const str& detail = str());

    // Notes that an exchange failed: an answer to it may still arrive.
    void markOutOfStep();
    bool outOfStep() const { return out_of_step_since_.load() != 0; }
    // Counts the successful opens: a protocol tells by it whether bytes waiting may be left over
    // from before this connection, which are dropped, or answer none of its own requests.
    std::uint32_t openCount() const { return open_count_.load(); }
    // Before a request: drops stray input; when out of step, reads and discards until the line
    // has been quiet for quiet_ms (counted from the failure or the last byte, whichever came
    // later). False when no port is open, a read fails, or the line does not fall quiet within
    // settle_limit_ms (the port stays out of step; lastFailure says why).
    bool settleInput();

    // The name under which a port is opened: on Windows "\\.\" is put in front unless present;
    // on POSIX the name is a device path used as given.
    static str deviceName(const str& name);

private:
    // Waits up to ms for at least one received byte; true when one is waiting.
    bool waitForInput(std::uint32_t ms);
    // Notes that bytes arrived now (readBytes, on the worker).
    void noteInput();
    // Reads and drops what the input queue holds now, in bounded rounds.
    bool dropWaiting();
    // A new connection: in step, and counted (platform openPort, once the port is set up).
    void noteOpened();

    mutable std::mutex failure_lock_;
    link_failure failure_; // guarded by failure_lock_
    // Steady-clock milliseconds (0 = never / in step), written by the worker, read anywhere.
    std::atomic<std::int64_t> out_of_step_since_{0};
    std::atomic<std::int64_t> last_input_{0};
    std::atomic<std::uint32_t> open_count_{0};

    struct impl; // platform state: handle, its guard, overlapped record or cancel pipe
    std::unique_ptr<impl> impl_;
};
