#pragma once
// The simulator's command line for sim_process (shared by the platform files).

#include <string>
#include <vector>

inline std::vector<std::string> sim_process_arguments(const std::string& root,
                                                      const std::vector<std::string>& faults,
                                                      unsigned baud) {
    std::vector<std::string> args{"--root", root};
    for (const std::string& fault : faults) {
        args.push_back("--fault");
        args.push_back(fault);
    }
    if (baud != 0) {
        args.push_back("--baud");
        args.push_back(std::to_string(baud));
    }
    return args;
}
