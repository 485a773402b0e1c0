#include "tools/orvelctl/session.h"

#include <vector>

#include "link/port_discovery.h"
#include "tools/orvelctl/ports.h"

bool ctl_session::run(SamsungJob* job, job_result& result) {
    if (!link_.addJob(job))
        return false;
    result.gone.wait();
    return result.ran && result.ok;
}

bool ctl_session::phoneAnswers() {
    return run<InfoCommand>(str(u"AT\r"), str(u""));
}

std::string ctl_session::phoneFailure(const std::string& what) {
    if (phoneAnswers())
        return "the phone refused to " + what;
    return "the phone did not answer";
}

bool ctl_session::connect(const str* port, std::string& error) {
    if (port) {
        if (link_.openPort(*port))
            return true;
        error = "cannot open port " + port->to_utf8();
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
        if (phoneAnswers())
            return true;
        link_.closePort();
    }
    error = "no phone answered on the discovered ports";
    return false;
}
