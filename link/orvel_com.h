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

#include <cstdint>
#include <memory>

#include "core/str.h"
#include "core/vobject.h"

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

    OrvelCom();
    OrvelCom(const OrvelCom&) = delete;
    OrvelCom& operator=(const OrvelCom&) = delete;
    ~OrvelCom(); // closePort

    // Closes any open port (emitting "disconnected"), opens the named one, configures it for a
    // connection and emits "connected". An empty name or a failed open: false, nothing emitted.
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
    // or the port stays silent for two consecutive reads; the reply then holds what was collected.
    bool sendAT(const str& command, str& reply);

    bool isOpen() const;

    // The name under which a port is opened: on Windows "\\.\" is put in front unless present;
    // on POSIX the name is a device path used as given.
    static str deviceName(const str& name);

private:
    // Waits up to ms for at least one received byte; true when one is waiting.
    bool waitForInput(std::uint32_t ms);

    struct impl; // platform state: handle, its guard, overlapped record or cancel pipe
    std::unique_ptr<impl> impl_;
};
