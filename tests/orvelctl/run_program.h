#pragma once
// Runs a program to its end with its standard output and error captured.

#include <string>
#include <vector>

struct run_result {
    int code = -1; // exit status; -1 when the program could not be run or did not end normally
    std::string out;
    std::string err;
};

// Runs `program` with the arguments (UTF-8), standard input empty.
run_result run_program(const std::string& program, const std::vector<std::string>& args);
