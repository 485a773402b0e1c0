#include "tests/phone/drag_data.h"

#include <QtCore/QList>
#include <QtCore/QMimeData>
#include <QtCore/QUrl>

namespace drop_test {

struct drag_data::data {
    QMimeData mime;
};

drag_data::drag_data() : data_(std::make_unique<data>()) {}

drag_data::~drag_data() = default;

void drag_data::offerFiles(const std::vector<std::u16string>& names) {
    QList<QUrl> urls;
    for (const std::u16string& name : names)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdU16String(name)));
    data_->mime.setUrls(urls);
}

void drag_data::offerText(const std::u16string& text) {
    data_->mime.setText(QString::fromStdU16String(text));
}

std::unique_ptr<vwin::vDropEvent> drag_data::event(DWORD allowed) {
    return std::make_unique<vwin::vDropEvent>(&data_->mime, allowed);
}

std::u16string pc_name(const std::u16string& slashed) {
    return slashed;
}

} // namespace drop_test
