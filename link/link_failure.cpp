#include "link/link_failure.h"

namespace {
str joined(const char16_t* text, const str& detail) {
    str line(text);
    if (!detail.empty()) {
        line.append(u": ");
        line.append(detail);
    }
    return line;
}
} // namespace

str describe(const link_failure& failure, const str& what) {
    switch (failure.error) {
    case link_error::none:
        return str();
    case link_error::no_port:
        return str(u"the port is not open");
    case link_error::open_failed:
        return joined(u"cannot open the port", failure.detail);
    case link_error::port_busy:
        return str(u"port busy: another program is using it");
    case link_error::not_a_port:
        return str(u"not a serial port");
    case link_error::port_failed:
        return joined(u"the port failed", failure.detail);
    case link_error::no_answer:
        return str(u"the phone did not answer");
    case link_error::incomplete:
        return str(u"the phone's answer did not end");
    case link_error::bad_frame:
        return joined(u"the phone's reply was malformed", failure.detail);
    case link_error::refused: {
        str line(u"the phone refused to ");
        line.append(what);
        if (!failure.detail.empty()) {
            line.append(u" (");
            line.append(failure.detail);
            line.append(u")");
        }
        return line;
    }
    case link_error::too_large:
        return str(u"the phone's file goes past 4 GiB");
    case link_error::too_many_entries:
        return str(u"the folder holds more entries than a listing takes");
    case link_error::out_of_step:
        return str(u"the phone sent a reply that answers no request");
    case link_error::wrong_size:
        return failure.detail.empty() ? str(u"the phone sent a different size than it listed")
                                      : failure.detail;
    case link_error::too_many_folders:
        return joined(u"the phone's folder tree does not end", failure.detail);
    case link_error::cancelled:
        return str(u"cancelled");
    case link_error::bad_request:
        return joined(u"the phone path cannot be sent", failure.detail);
    case link_error::pc_file:
        return failure.detail.empty() ? str(u"PC file error") : failure.detail;
    }
    return str();
}
