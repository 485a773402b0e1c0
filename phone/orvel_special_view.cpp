// OrvelSpecial: the Specials page.

#include <mutex>
#include <vector>

#include "core/lang_texts.h"
#include "link/jobs.h"
#include "phone/orvel_special_files.h"
#include "phone/orvel_special_view.h"
#include "toolkit/orvel_colors.h"

using namespace vwin;

namespace {

constexpr std::uint32_t label_style = 8;
constexpr std::uint32_t buffer_size = 0x10000;

std::unique_ptr<vLabel> makeLabel(vWidget* parent, const char16_t* text) {
    auto label = std::make_unique<vLabel>(parent, text, label_style);
    label->setBackgroundColor(orvel_color::light_grey);
    label->setTextColor(orvel_color::blue);
    return label;
}

void setListLooks(vListView& list) {
    list.setBackgroundColor(orvel_color::white);
    list.setItemTextColor(orvel_color::blue);
    list.setHScrollEnabled(false);
    list.setFitWidth(true);
    list.setShowsFocus(true);
}

// Replaces the rows of a read-only list by one row per text, in one step.
void showLines(vListView& list, const std::vector<str>& lines, int height) {
    std::vector<vListViewItem*> rows;
    rows.reserve(lines.size());
    for (const str& line : lines)
        rows.push_back(new vListViewItem(static_cast<vListView*>(nullptr), line, height));
    list.replaceItems(rows);
}

} // namespace

OrvelSpecial::OrvelSpecial(vWidget* parent, SamsungComm& link) : vWidget(parent, u""), link_(link) {
    // The children take the page's font when they are made.
    font_.create(u"tahoma", 12, 75, 0, 100);
    setFont(font_);
    setBackgroundColor(orvel_color::light_grey);

    profilesLabel_ = makeLabel(this, uiText(ui_text::profiles_label));
    profiles_ = std::make_unique<vListView>(this, true, vListView::selection_single);
    touchLabel_ = makeLabel(this, uiText(ui_text::touch_label));
    touch_ = std::make_unique<vListView>(this, true, vListView::selection_none);
    menuLabel_ = makeLabel(this, uiText(ui_text::menu_label));
    menu_ = std::make_unique<OrvelEditFile>(this);
    // The program's button look (its tab-button images and font) when it has set one.
    save_ = std::make_unique<OrvelButton>(this, uiText(ui_text::save));
    setListLooks(*profiles_);
    setListLooks(*touch_);
    setListLooks(*menu_);

    connect(save_.get(), u"clicked", this, &OrvelSpecial::onSaveClicked);
    connect(static_cast<vObject*>(&link_), u"ReadBufCommand", this, &OrvelSpecial::fileRead);
    resized(clientWidth(), clientHeight());
}

OrvelSpecial::~OrvelSpecial() {
    // No link signal may reach the page while it goes; a fileRead running on the worker is
    // waited for.
    link_.disconnect_receiver(this);
    disconnect_all();
    destroyWindow();
}

void OrvelSpecial::readAll() {
    // The menu file is read again and its lines lose their marks; saves of the last connection
    // that a cleared link dropped will not report.
    saves_.clear();
    for (int i = 0; i < special_file_count; ++i)
        link_.addJob(new ReadBufCommand(str(specialFilePath(specialFileAt(i)))));
}

void OrvelSpecial::fileRead(const char16_t* path, buf* stream) {
    if (!stream)
        return;
    switch (specialFileOf(path)) {
    case special_file::accounts:
        accounts_.read(*stream);
        break;
    case special_file::wlan_profiles:
        wlanProfiles_.read(*stream);
        break;
    case special_file::access_points:
        accessPoints_.read(*stream);
        fillProfilesList();
        break;
    case special_file::nv_defaults:
        nvDefaults_.read(*stream);
        fillTouchList();
        break;
    case special_file::main_menu:
        menu_->loadLines(*stream);
        break;
    case special_file::none:
        break;
    }
}

void OrvelSpecial::fillProfilesList() {
    showLines(*profiles_, profileLines(accessPoints_, accounts_, wlanProfiles_), list_item_height);
}

void OrvelSpecial::fillTouchList() {
    showLines(*touch_, touchLines(nvDefaults_), list_item_height);
}

bool OrvelSpecial::saveEdits() {
    return save();
}

void OrvelSpecial::jobFinished(const job_report& report) {
    if (report.kind != job_kind::save_file ||
        !report.phonePath.equals(specialFilePath(special_file::main_menu), false) || saves_.empty())
        return;
    // Saves run in the order they were queued, so a report is the oldest waiting save's.
    const std::uint64_t edits = saves_.front();
    saves_.pop_front();
    if (report.end == job_end::done)
        menu_->clearEditMarks(edits);
}

void OrvelSpecial::keyEvent(vKeyEvent* event) {
    if (event->type == event_key_down && event->key == 'S' &&
        (event->modifiers & modifier_control)) {
        event->accept();
        saveEdits();
    }
}

bool OrvelSpecial::save() {
    buf lines(buffer_size);
    std::uint64_t edits = 0;
    if (!menu_->saveLines(lines, &edits) || !lines.seek(0))
        return false;
    if (!link_.addJob(new WriteBufCommand(lines, str(specialFilePath(special_file::main_menu)))))
        return false;
    saves_.push_back(edits);
    return true;
}

void OrvelSpecial::resized(int w, int h) {
    if (!save_)
        return; // a size change while the children are still being made
    const int hw = w / 2, hh = h / 2;
    profilesLabel_->setGeometry(5, 0, hw - 10, 18);
    profiles_->setGeometry(5, 20, hw - 10, hh - 20);
    touchLabel_->setGeometry(5, hh, hw - 10, 18);
    touch_->setGeometry(5, hh + 20, hw - 10, hh - 20);
    // Wide enough for "Speichern" in the button font.
    menuLabel_->setGeometry(hw + 5, 0, hw - 105, 18);
    save_->setGeometry(w - 95, 0, 90, 19);
    menu_->setGeometry(hw + 5, 20, hw - 10, h - 20);
}
