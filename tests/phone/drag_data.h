#pragma once
// Another program's drag over a page, in the toolkit driver's own form: a file list (the desktop
// shell's block on Windows, local file addresses with Qt) or text. The events it makes read the
// data as the driver reads a real drag's.

#include <memory>
#include <string>
#include <vector>

#include "toolkit/dnd.h"

namespace drop_test {

class drag_data {
public:
    drag_data();
    ~drag_data();
    drag_data(const drag_data&) = delete;
    drag_data& operator=(const drag_data&) = delete;

    // Offers these files (full names of this program's file system); an empty list offers a
    // file list without files where the platform has one.
    void offerFiles(const std::vector<std::u16string>& names);
    void offerText(const std::u16string& text);
    // One drag of the data, the source allowing these effects.
    std::unique_ptr<vwin::vDropEvent> event(DWORD allowed);

private:
    struct data;
    std::unique_ptr<data> data_;
};

// A full file name written with "/" ("/g/Game.jar") as this platform writes it: unchanged
// natively, "C:\g\Game.jar" on Windows.
std::u16string pc_name(const std::u16string& slashed);

} // namespace drop_test
