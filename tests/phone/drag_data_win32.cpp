#include "tests/phone/drag_data.h"

#include "tests/toolkit/dnd_fake_data_win32.h"

namespace drop_test {

struct drag_data::data {
    dnd_test::data_ref ref;
};

drag_data::drag_data() : data_(std::make_unique<data>()) {}

drag_data::~drag_data() = default;

void drag_data::offerFiles(const std::vector<std::u16string>& names) {
    data_->ref->offer(CF_HDROP, dnd_test::drop_files(names));
}

void drag_data::offerText(const std::u16string& text) {
    data_->ref->offer(CF_UNICODETEXT, dnd_test::text16(text));
}

std::unique_ptr<vwin::vDropEvent> drag_data::event(DWORD allowed) {
    return std::make_unique<vwin::vDropEvent>(data_->ref.data, allowed);
}

std::u16string pc_name(const std::u16string& slashed) {
    std::u16string name = u"C:" + slashed;
    for (char16_t& c : name)
        if (c == u'/')
            c = u'\\';
    return name;
}

} // namespace drop_test
