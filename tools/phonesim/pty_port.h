#pragma once
// The pseudo-terminal the phone sits behind. The phone keeps the master end; the terminal end is
// left closed for the PC side to open (and close and re-open) by its path. An inotify watch on
// that path tells when the PC side opens or closes it, so a closed line is waited on without
// polling, and input left half-sent by a closed session is not joined to the next one.

#include <string>

#include "tools/phonesim/unique_fd.h"

namespace phonesim {

class PtyPort {
public:
    bool open();
    void close();
    int master() const { return master_.get(); }
    // Readable when the terminal end has been opened or closed since the last drain_watch().
    int watch() const { return watch_.get(); }
    // Consumes the pending events; true when a close was among them.
    bool drain_watch();
    const std::string& path() const { return path_; }

private:
    UniqueFd master_;
    UniqueFd watch_;
    std::string path_;
};

} // namespace phonesim
