#pragma once
// Helpers for the list view tests over either driver: a host window with a list in it, a recorder
// of the list's signals, rows that count their drawing and destruction.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/vobject.h"
#include "tests/support/gui_pump.h"
#include "toolkit/listview.h"

namespace listview_test {

using namespace vwin;

// Writes every signal of a list as a line: "clicked a 10 20", "currentChanged -", "listChanged".
class signal_log : public vObject {
public:
    void watch(vListView* list) {
        connect(list, u"clicked", this, &signal_log::clicked);
        connect(list, u"rightButtonClicked", this, &signal_log::rightClicked);
        connect(list, u"rightDoubleClicked", this, &signal_log::rightDoubleClicked);
        connect(list, u"opener", this, &signal_log::opener);
        connect(list, u"currentChanged", this, &signal_log::currentChanged);
        connect(list, u"selectionChanged", this, &signal_log::selectionChanged);
        connect(list, u"listChanged", this, &signal_log::listChanged);
        connect(list, u"pressed", this, &signal_log::pressed);
    }
    void watchDoubleClicks(vListView* list) {
        connect(list, u"doubleClicked", this, &signal_log::doubleClicked);
    }

    std::vector<std::string> lines;
    void clear() { lines.clear(); }
    bool has(const std::string& line) const {
        for (const auto& l : lines)
            if (l == line)
                return true;
        return false;
    }
    int count(const std::string& prefix) const {
        int n = 0;
        for (const auto& l : lines)
            if (l.compare(0, prefix.size(), prefix) == 0)
                ++n;
        return n;
    }
    std::string joined() const {
        std::string all;
        for (const auto& l : lines)
            all += l + "; ";
        return all;
    }

    static std::string name(vListViewItem* item) {
        return item ? std::string(item->text().narrow()) : std::string("-");
    }

private:
    void add(const std::string& line) { lines.push_back(line); }
    void withPoint(const char* what, vListViewItem* item, int x, int y) {
        add(std::string(what) + " " + name(item) + " " + std::to_string(x) + " " +
            std::to_string(y));
    }
    void clicked(vListViewItem* item, int x, int y) { withPoint("clicked", item, x, y); }
    void rightClicked(vListViewItem* item, int x, int y) { withPoint("rightClicked", item, x, y); }
    void rightDoubleClicked(vListViewItem* item, int x, int y) {
        withPoint("rightDoubleClicked", item, x, y);
    }
    void doubleClicked(vListViewItem* item, int x, int y) {
        withPoint("doubleClicked", item, x, y);
    }
    void opener(vListViewItem* item) { add("opener " + name(item)); }
    void currentChanged(vListViewItem* item) { add("currentChanged " + name(item)); }
    void selectionChanged(vListViewItem* item) { add("selectionChanged " + name(item)); }
    void listChanged() { add("listChanged"); }
    void pressed() { add("pressed"); }
};

// A row that counts its drawing and its destruction and records the mouse events it gets.
class counted_row : public vListViewItem {
public:
    counted_row(vListView* list, const char16_t* text, int height, int* deaths = nullptr)
        : vListViewItem(list, text, height), deaths_(deaths) {}
    counted_row(vListViewItem* parent, const char16_t* text, int height, int* deaths = nullptr)
        : vListViewItem(parent, text, height), deaths_(deaths) {}
    ~counted_row() override {
        if (deaths_)
            ++*deaths_;
    }
    void draw(vPixmap& pixmap, const RECT& row) override {
        ++draws;
        vListViewItem::draw(pixmap, row);
    }
    void mouseEvent(vMouseEvent* event) override {
        lastMouseY = event->y;
        ++mouseEvents;
    }
    void keyEvent(vKeyEvent* event) override { lastKey = event->key; }

    int draws = 0;
    int mouseEvents = 0;
    int lastMouseY = -1;
    std::uint32_t lastKey = 0;

private:
    int* deaths_;
};

// A visible top-level host window with one list view child filling (0, 0, w, h) of it.
class ListViewFixture : public ::testing::Test {
protected:
    void TearDown() override {
        list.reset();
        host.reset();
        pump_pending();
    }

    vListView* make(bool readOnly, int mode, int w = 300, int h = 200) {
        host = std::make_unique<vWidget>(nullptr, u"list host", widget_toplevel_default);
        // Away from the points where other test programs running at the same time aim the
        // pointer.
        host->setGeometry(420, 300, w + 40, h + 40);
        host->showNormal();
        list = std::make_unique<vListView>(host.get(), readOnly, mode);
        list->setBackgroundColor(0xFFFFFF);
        list->setGeometry(0, 0, w, h);
        pump_pending();
        return list.get();
    }

    // Rows "a", "b", ... of the given height.
    std::vector<vListViewItem*> rows(int n, int height = 20) {
        std::vector<vListViewItem*> made;
        for (int i = 0; i < n; ++i) {
            const char16_t text[2] = {static_cast<char16_t>(u'a' + i), 0};
            made.push_back(new vListViewItem(list.get(), text, height));
        }
        return made;
    }

    // The texts of the rows in list order, joined by spaces.
    std::string order() {
        std::string all;
        for (int i = 0; i < list->count(); ++i) {
            if (!all.empty())
                all += ' ';
            all += list->at(i)->text().narrow();
        }
        return all;
    }

    // Texts of the selected rows, joined by spaces.
    std::string selected() {
        std::string all;
        for (int i = 0; i < list->count(); ++i) {
            if (!list->at(i)->isSelected())
                continue;
            if (!all.empty())
                all += ' ';
            all += list->at(i)->text().narrow();
        }
        return all;
    }

    // The middle of a row in the list's client coordinates.
    POINT middle(const vListViewItem* item, int x = 60) {
        return POINT{x, item->top() + item->height() / 2 - list->contentsY()};
    }

    std::unique_ptr<vWidget> host;
    std::unique_ptr<vListView> list;
};

} // namespace listview_test
