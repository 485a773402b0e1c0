#pragma once
// Names for the phone's terminal: a symbolic link of the caller's choosing, or the first free COM
// port "comN" of a Wine prefix's dosdevices folder.

#include <string>

namespace phonesim {

// Makes `link` point at `target`, replacing an existing symbolic link (never another file).
bool make_link(const std::string& target, const std::string& link);
// Removes `link` if it still points at `target`.
void remove_link(const std::string& target, const std::string& link);
// Claims the first free "comN" (N from 10 to 255) in `dosdevices` for `target`; a link there whose
// device no longer exists counts as free. Returns the port name ("COM10") and sets `link`, or
// returns an empty text.
std::string claim_com_port(const std::string& dosdevices, const std::string& target,
                           std::string& link);

} // namespace phonesim
