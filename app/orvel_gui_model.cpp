#include "app/orvel_gui_model.h"

#include "core/lang_texts.h"

OrvelProgress::OrvelProgress(const char16_t* text) : text_(text ? text : u"") {}

void OrvelProgress::setInfo(const char16_t* text) {
    str copy(text ? text : u"");
    std::lock_guard<std::mutex> guard(text_lock_);
    text_ = std::move(copy);
}

void OrvelProgress::setMax(std::uint32_t low, std::uint32_t high) {
    linkTotal_.store(static_cast<std::uint64_t>(high) << 32 | low, std::memory_order_relaxed);
}

void OrvelProgress::addMax(std::uint32_t amount) {
    added_.fetch_add(amount, std::memory_order_relaxed);
}

void OrvelProgress::reset() {
    value_.store(0, std::memory_order_relaxed);
    added_.store(0, std::memory_order_relaxed);
    linkTotal_.store(0, std::memory_order_relaxed);
}

void OrvelProgress::add(std::uint32_t amount) {
    value_.fetch_add(amount, std::memory_order_relaxed);
}

str OrvelProgress::text() const {
    std::lock_guard<std::mutex> guard(text_lock_);
    return str(text_);
}

OrvelProgress::snapshot OrvelProgress::read() const {
    snapshot s;
    s.value = value();
    s.max = max();
    s.text = text();
    return s;
}

int OrvelProgress::percent(std::uint64_t value, std::uint64_t max) {
    if (max == 0)
        return 0;
    // A retried transfer counts its bytes twice: never past the whole.
    if (value > max)
        value = max;
    return static_cast<int>(value * 100 / max);
}

int OrvelProgress::barWidth(std::uint64_t value, std::uint64_t max, int width) {
    if (max == 0 || width <= 0)
        return 0;
    if (value > max)
        value = max;
    return static_cast<int>(value * static_cast<std::uint64_t>(width) / max);
}

str OrvelProgress::title(const snapshot& state, bool running, const str& base) {
    if (!running || state.max == 0)
        return str(base);
    str t;
    t.format(u"Orvel %2d%%", percent(state.value, state.max));
    return t;
}

str progressName(const char16_t* linkText) {
    const str text(linkText ? linkText : u"");
    const char16_t* copying = u"kopiere ";
    if (text.compare(copying, true, 8) != 0)
        return text;
    return str(text.substr(8));
}

namespace orvel_layout {

OrvelRect tabButton(int index) {
    return {5 + 100 * index, 2, 90, 20};
}

OrvelRect view(int w, int h) {
    return {0, 20, w, h - 40};
}

OrvelRect progressStrip(int w, int h) {
    return {0, h - strip_height, w, strip_height};
}

OrvelPoint placement(OrvelPoint pointer) {
    OrvelPoint p{pointer.x - 200, pointer.y - 500};
    if (p.x < 0)
        p.x = 0;
    if (p.y < 32)
        p.y = 32;
    return p;
}

} // namespace orvel_layout
