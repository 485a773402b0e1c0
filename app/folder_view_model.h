#pragma once
// The file browser's texts and choices that need no window: what a delete asks, how a file's
// size reads, and which folder is the parent of the one shown.

#include <cstdint>
#include <vector>

#include "core/str.h"

// The question a delete asks before anything is queued, naming the file or the number of files
// ("Delete a.jpg from the phone?", "Delete 3 files from the phone?"); empty for no files.
str deleteQuestion(const std::vector<str>& names);

// A file size as a person reads it: "512 B", "340 KB", "1.5 MB" ("1,5 MB" in German). Kilobytes
// are rounded up, so a file of a few bytes past a kilobyte never reads as less than it is.
str sizeText(std::uint64_t bytes);

// The phone folder above `dir` (a normal phone folder path ending in "/"): "/a/b/" gives "/a/",
// "/a/" gives "/"; empty for "/" and "" (no folder above).
str parentFolder(const str& dir);
