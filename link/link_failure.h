#pragma once
// Why the last operation of the port or the protocol failed. The operations keep answering a
// bare bool; the reason is remembered beside it so that a caller can report it instead of
// guessing (and without asking the phone again).

#include <cstdint>

#include "core/str.h"

enum class link_error : std::uint8_t {
    none,
    no_port,     // no port is open, or it was closed while the operation ran
    open_failed, // the port could not be opened; detail: the system's text
    port_busy,   // another program holds the port
    not_a_port,  // the name is no serial device
    port_failed, // a read or write on the port failed; detail: the system's text
    no_answer,   // nothing arrived from the phone within the time-out
    incomplete,  // the phone's answer began but no complete reply or result line followed in time
    bad_frame,   // what arrived is no well-formed reply; detail: how it was malformed
    refused,     // the phone answered with a refusal
    too_large,   // the phone's file goes past the protocol's 4 GiB
    too_many_entries, // a listing stopped at its limit of entries
    out_of_step,      // bytes arrived that answer no request: an earlier reply was doubled or late
    wrong_size,       // the phone sent fewer or more bytes than it listed; detail: the figures
    too_many_folders, // a tree copy met more folders than a phone holds
    cancelled,        // the user cancelled the job; the connection stays
    bad_request,      // the request cannot be framed (a phone path too long or not 8-bit)
    pc_file, // a PC file could not be read or written; detail: the name and the system's text
};

struct link_failure {
    link_error error = link_error::none;
    str detail;

    explicit operator bool() const { return error != link_error::none; }
    // The phone stopped answering, or the port went away: further requests are pointless.
    bool linkLost() const {
        return error == link_error::no_answer || error == link_error::no_port ||
               error == link_error::port_failed;
    }
};

// One English line for the failure, e.g. "the phone did not answer" or "the phone refused to
// list /Music" (`what` completes a refusal: "list /Music").
str describe(const link_failure& failure, const str& what);

// The text of the calling thread's last system error (errno, or GetLastError on Windows).
str last_system_error_text();
