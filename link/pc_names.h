#pragma once
// PC names for the files of one fetch job. A PC may store two phone names as one file: Windows
// folds case ("Photo.jpg" and "PHOTO.JPG") and answers short aliases ("LONG~LMQ.TXT" reaches
// "longfilename.txt"). A job never writes through such a name to a file it did not mean: a name
// that reaches a file this job wrote, or that is an alias of a file stored under another long
// name, gives way to the first free "stem (n).ext".

#include <compare>
#include <cstdint>
#include <set>

#include "core/str.h"

// Which file a name reaches: volume and file number.
struct pc_file_id {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    auto operator<=>(const pc_file_id&) const = default;
};

// The identity of the existing file a name reaches; false when it reaches none.
bool pc_file_identity(const str& path, pc_file_id& id);
// Whether an existing name reaches a file stored under another long name (not merely another
// case of the same name).
bool pc_name_is_alias(const str& path);

class pc_name_claims {
public:
    // The file name to write a phone entry `name` to in `folder` (ending in a separator).
    str claim(const str& folder, const str& name) const;
    // Records the file just written, so that no later name of the job writes through to it.
    void written(const str& path);

private:
    bool taken(const str& path) const;

    std::set<pc_file_id> written_;
};
