#pragma once
// Answers AT command lines like the phone's modem: the echo of the line (unless switched off with
// ATE0), an empty line, the information lines, an empty line and the result "OK"; "ERROR" for a
// command it does not know. Every line ends with CR LF.

#include <string>

namespace phonesim {

class AtService {
public:
    // The bytes answering one command line (given without its line end).
    std::string answer(const std::string& line);

private:
    bool echo_ = true;
};

} // namespace phonesim
