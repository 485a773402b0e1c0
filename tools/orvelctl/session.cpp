#include "tools/orvelctl/session.h"

#include <vector>

#include "link/port_discovery.h"
#include "tools/orvelctl/ports.h"

bool ctl_session::run(SamsungJob* job, job_result& result) {
    failure_ = link_failure();
    if (!link_.addJob(job)) {
        failure_.error = link_error::no_port;
        return false;
    }
    result.gone.wait();
    if (result.ran && result.ok)
        return true;
    failure_ = result.ran ? result.failure : link_failure{link_error::no_port, str()};
    return false;
}

std::string ctl_session::failureText(const link_failure& failure, const std::string& refusal,
                                     const std::string& doing) {
    switch (failure.error) {
    case link_error::refused:
        return "the phone refused to " + refusal;
    case link_error::no_answer:
        return "the phone did not answer";
    case link_error::pc_file:
        return describe(failure, str()).to_utf8();
    case link_error::none:
        return "cannot " + doing;
    default:
        return "cannot " + doing + ": " + describe(failure, str()).to_utf8();
    }
}

bool ctl_session::connect(const str* port, std::string& error) {
    if (port) {
        if (link_.openPort(*port))
            return true;
        const link_failure why = link_.lastFailure();
        error =
            "cannot open port " + port->to_utf8() + ": " +
            (why.error == link_error::open_failed ? why.detail : describe(why, str())).to_utf8();
        return false;
    }
    std::vector<port_record> ports = discovered_ports();
    if (ports.empty()) {
        error = "no phone port found";
        return false;
    }
    for (auto it = ports.rbegin(); it != ports.rend(); ++it) {
        if (it->port.empty() || !link_.openPort(it->port))
            continue;
        if (run<InfoCommand>(str(u"AT\r"), str(u"")))
            return true;
        link_.closePort();
    }
    error = "no phone answered on the discovered ports";
    return false;
}
