// The main window: its tabs and views, placement and layout, tab switching, the progress title and
// strip fed by the link's signals, dragging, and closing while a transfer runs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/folder_view.h"
#include "app/globals.h"
#include "app/hw_view.h"
#include "app/orvel_gui.h"
#include "core/lang.h"
#include "core/vobject.h"
#include "link/jobs.h"
#include "link/samsung_comm.h"
#include "orvel_version.h"
#include "phone/java_view.h"
#include "phone/orvel_special_view.h"
#include "tests/app/view_probe.h"
#include "tests/support/gui_pump.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

using namespace vwin;
using namespace app_test;

namespace {

const str base_title(u"Orvel " ORVEL_VERSION);

class OrvelGUITest : public ::testing::Test {
protected:
    void SetUp() override { set_user_language_for_tests(9); }
    void TearDown() override {
        gui.reset();
        set_user_language_for_tests(-1);
    }

    // The window, built as if the pointer were at (x, y). (The screen pointer is shared with
    // every test program running at the same time.)
    void build(int x = 100, int y = 300) {
        gui = std::make_unique<OrvelGUI>(link, base_title, OrvelPoint{x, y});
        ASSERT_TRUE(gui->isWindow());
    }

    vObject* sender() { return &link; }

    // Waits for the title the timer shows.
    bool titleBecomes(const std::u16string& title) {
        return pump_until([&] { return text(gui->text()) == title; }, 5000);
    }

    SamsungComm link;
    std::unique_ptr<OrvelGUI> gui;
};

TEST_F(OrvelGUITest, TabsViewsPlacementAndLayout) {
    build(100, 300);
    EXPECT_EQ(gui->clientWidth(), 640);
    EXPECT_EQ(gui->clientHeight(), 520);
    const POINT origin = gui->screenPosition();
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 32);
    EXPECT_EQ(gui->backgroundColor(), 0xFFFFFFu);

    const char16_t* labels[] = {u"Devices", u"Browser", u"Java Apps", u"Specials"};
    for (int i = 0; i < 4; ++i) {
        OrvelButton* button = gui->tabButton(i);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(text(button->text()), labels[i]);
        EXPECT_FALSE(button->autoRelease()) << "a tab stays pressed";
        const RECT b = childRect(*button);
        EXPECT_EQ(b.left, 5 + 100 * i);
        EXPECT_EQ(b.top, 2);
        EXPECT_EQ(b.right - b.left, 90);
        EXPECT_EQ(b.bottom - b.top, 20);
        ASSERT_NE(gui->view(i), nullptr);
        const RECT v = childRect(*gui->view(i));
        EXPECT_EQ(v.left, 0);
        EXPECT_EQ(v.top, 20);
        EXPECT_EQ(v.right, 640);
        EXPECT_EQ(v.bottom, 500);
    }
    EXPECT_EQ(gui->view(0), gui->devicesView());
    EXPECT_EQ(gui->view(1), gui->browserView());
    EXPECT_EQ(gui->view(2), gui->javaView());
    EXPECT_EQ(gui->view(3), gui->specialsView());

    // Devices first.
    EXPECT_EQ(gui->currentTab(), 0);
    EXPECT_TRUE(gui->tabButton(0)->isChecked());
    EXPECT_TRUE(gui->view(0)->isVisible());
    for (int i = 1; i < 4; ++i) {
        EXPECT_FALSE(gui->tabButton(i)->isChecked());
        EXPECT_FALSE(gui->view(i)->isVisible());
    }

    // The first timer tick shows the base title.
    EXPECT_TRUE(pump_until([&] { return !gui->shownTitle().empty(); }, 5000));
    EXPECT_EQ(text(gui->shownTitle()), u"Orvel " ORVEL_VERSION);
    EXPECT_EQ(text(gui->text()), u"Orvel " ORVEL_VERSION);
}

// Made smaller than its minimum (as a drag of the frame would), the window keeps room for every
// tab, list and button.
TEST_F(OrvelGUITest, TheWindowKeepsItsMinimumSize) {
    build();
    gui->resize(200, 150);
    EXPECT_GE(gui->clientWidth(), orvel_layout::min_client_width);
    EXPECT_GE(gui->clientHeight(), orvel_layout::min_client_height);
}

TEST_F(OrvelGUITest, PlacementFollowsThePointer) {
    build(500, 700);
    POINT origin = gui->screenPosition();
    EXPECT_EQ(origin.x, 300);
    EXPECT_EQ(origin.y, 200);
}

TEST_F(OrvelGUITest, GermanDevicesTab) {
    set_user_language_for_tests(7);
    build();
    EXPECT_EQ(text(gui->tabButton(0)->text()), u"Ger\u00e4te");
    EXPECT_EQ(text(gui->tabButton(1)->text()), u"Dateien");
}

TEST_F(OrvelGUITest, ClickingATabShowsItsView) {
    build();
    struct row {
        int click;
        int tab;
    };
    const row rows[] = {{1, 1}, {1, 1}, {3, 3}, {2, 2}, {0, 0}};
    for (const row& r : rows) {
        click(*gui->tabButton(r.click), 45, 10);
        EXPECT_EQ(gui->currentTab(), r.tab);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(gui->tabButton(i)->isChecked(), i == r.tab) << "button " << i;
            EXPECT_EQ(gui->view(i)->isVisible(), i == r.tab) << "view " << i;
        }
    }

    // The checked button is drawn from the checked images with white text.
    click(*gui->tabButton(1), 45, 10);
    vPixmap browser, devices;
    ASSERT_TRUE(render(*gui->tabButton(1), browser));
    ASSERT_TRUE(render(*gui->tabButton(0), devices));
    EXPECT_EQ(rgbAt(browser, 45, 1),
              orvelButtonImages().image(true, OrvelButtonImages::middle).pixel(3, 1) & 0xFFFFFF);
    EXPECT_EQ(rgbAt(devices, 45, 1),
              orvelButtonImages().image(false, OrvelButtonImages::middle).pixel(3, 1) & 0xFFFFFF);
}

// Running, cancelled, done and failed work against a paced phone: the strip and the title say
// what happens, and nothing is left behind once the work is over.
TEST_F(OrvelGUITest, TheStripTellsWhatBecameOfTheWork) {
    phone_folder folder;
    ASSERT_TRUE(folder.ok());
    {
        std::ofstream big(folder.file("/big.bin"), std::ios::binary);
        big << std::string(1024 * 1024, '\x5a');
        std::ofstream small(folder.file("/small.bin"), std::ios::binary);
        small << std::string(2048, '\x33');
    }
    sim_process phone;
    ASSERT_TRUE(phone.start(folder.simulator_path(), {}, 230400)) << "ORVEL_PHONESIM must be set";
    build();
    ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orvel_strip_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto pc = [&](const char* name) { return str((dir / name).u16string().c_str()); };
    const auto strip_ground = [&] {
        vPixmap shot;
        return render(*gui, shot) ? rgbAt(shot, 3, 515) : 0u;
    };

    ASSERT_TRUE(link.addJob(new ReadFileCommand(str(u"/big.bin"), pc("big.bin"), 1024 * 1024)));
    // The connection's own listings and reads run first.
    ASSERT_TRUE(pump_until(
        [&] {
            return gui->strip().running() &&
                   text(gui->stripText()).rfind(u"Copying big.bin \u2014 ", 0) == 0 &&
                   text(gui->text()) != base_title.c_str();
        },
        30000));
    vPixmap shot;
    ASSERT_TRUE(
        pump_until([&] { return render(*gui, shot) && rgbAt(shot, 1, 510) == 0x157DCCu; }, 30000))
        << "the bar grows from the left";
    EXPECT_EQ(rgbAt(shot, 600, 501), 0xFFFFFFu) << "the Cancel control at the right end";

    // Escape, as a person would press it, cancels: the title loses its percentage.
    sendKey(*gui, VK_ESCAPE);
    ASSERT_TRUE(
        pump_until([&] { return gui->strip().shown() == OrvelStrip::state::cancelled; }, 5000));
    EXPECT_EQ(text(gui->strip().outcome()), u"Copy of /big.bin cancelled");
    EXPECT_TRUE(titleBecomes(base_title.c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir / "big.bin")) << "no partial file";
    EXPECT_EQ(strip_ground(), 0xF0F0F0u);
    EXPECT_TRUE(link.isOpen()) << "the connection stays";

    ASSERT_TRUE(link.addJob(new ReadFileCommand(str(u"/small.bin"), pc("small.bin"), 2048)));
    ASSERT_TRUE(pump_until([&] { return gui->strip().shown() == OrvelStrip::state::done; }, 30000));
    EXPECT_EQ(text(gui->strip().outcome()).rfind(u"Copied 1 file (2 KB) in ", 0), 0u);

    ASSERT_TRUE(link.addJob(new ReadFileCommand(str(u"/none.bin"), pc("none.bin"), 10)));
    ASSERT_TRUE(
        pump_until([&] { return gui->strip().shown() == OrvelStrip::state::failed; }, 30000));
    EXPECT_EQ(text(gui->strip().outcome()).rfind(u"Copy of /none.bin failed: ", 0), 0u);
    EXPECT_EQ(strip_ground(), 0xF8DADAu) << "an error reads as one";
    EXPECT_EQ(text(gui->text()), base_title.c_str());
    std::filesystem::remove_all(dir);
}

TEST_F(OrvelGUITest, QueuedJobsAnnounceTheirWeight) {
    build();
    // Without a port the job fails at once; its weight was announced when it was queued.
    link.addJob(new BrowseCommand(str(u"/")));
    EXPECT_TRUE(pump_until([&] { return link.progressTotal() == 0; }, 10000));
    EXPECT_EQ(gui->progress().max(), 1024u);
}

TEST_F(OrvelGUITest, DraggingWithTheLeftButtonOnly) {
    build();
    OrvelGUI& main = *gui;
    POINT start = gui->screenPosition();
    const auto movedBy = [&](int dx, int dy) {
        const POINT now = gui->screenPosition();
        return now.x - start.x == dx && now.y - start.y == dy;
    };

    // On the window's own background (the progress strip).
    sendMouse(main, event_press, button_left, 300, 510, MK_LBUTTON);
    EXPECT_TRUE(gui->dragging());
    sendMouse(main, event_move, button_none, 310, 515, MK_LBUTTON);
    EXPECT_TRUE(movedBy(10, 5));
    sendMouse(main, event_release, button_left, 300, 510, 0);
    EXPECT_FALSE(gui->dragging());

    // The right button does not drag.
    start = gui->screenPosition();
    sendMouse(main, event_press, button_right, 300, 510, MK_RBUTTON);
    sendMouse(main, event_move, button_none, 330, 515, MK_RBUTTON);
    EXPECT_TRUE(movedBy(0, 0));
    sendMouse(main, event_release, button_right, 330, 515, 0);

    // A bare part of a view passes the press on to the main window.
    start = gui->screenPosition();
    sendMouse(*gui->devicesView(), event_press, button_left, 400, 210, MK_LBUTTON);
    EXPECT_TRUE(gui->dragging());
    sendMouse(main, event_move, button_none, 405, 232, MK_LBUTTON);
    EXPECT_TRUE(movedBy(5, 2));
    sendMouse(main, event_release, button_left, 405, 232, 0);

    // A tab button, a label and a list keep their presses.
    struct row {
        const char* what;
        vWidget& widget;
    };
    const row rows[] = {
        {"tab button", *gui->tabButton(2)},
        {"label", gui->devicesView()->devicesLabel()},
        {"list", gui->devicesView()->portList()},
    };
    for (const row& r : rows) {
        start = gui->screenPosition();
        sendMouse(r.widget, event_press, button_left, 5, 5, MK_LBUTTON);
        EXPECT_FALSE(gui->dragging()) << r.what;
        sendMouse(main, event_move, button_none, 200, 300, MK_LBUTTON);
        EXPECT_TRUE(movedBy(0, 0)) << r.what;
        sendMouse(r.widget, event_release, button_left, 5, 5, 0);
    }
}

TEST_F(OrvelGUITest, ConnectionReachesTheViewsInOrder) {
    phone_folder folder;
    ASSERT_TRUE(folder.ok());
    sim_process phone;
    ASSERT_TRUE(phone.start(folder.simulator_path())) << "ORVEL_PHONESIM must be set";
    build();
    ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));
    // Devices: the seven answers; Browser: the root folder's entries.
    EXPECT_TRUE(pump_until(
        [&] {
            return gui->devicesView()->propertiesList().count() == 7 &&
                   gui->browserView()->folderPane()->count() > 0 && link.progressTotal() == 0;
        },
        30000));
    EXPECT_EQ(text(gui->browserView()->currentPath()), u"/");

    link.closePort();
    EXPECT_EQ(gui->devicesView()->propertiesList().count(), 1) << "\"Not connected\" only";
    EXPECT_TRUE(gui->browserView()->currentPath().empty());
}

TEST_F(OrvelGUITest, ClosingWhileAFileIsFetchedEndsPromptly) {
    phone_folder folder;
    ASSERT_TRUE(folder.ok());
    {
        std::ofstream big(folder.file("/big.bin"), std::ios::binary);
        std::string chunk(1024, '\x5a');
        for (int i = 0; i < 1024; ++i)
            big << chunk;
    }
    sim_process phone;
    // Paced, so the fetch of 1 MB takes far longer than this test waits.
    ASSERT_TRUE(phone.start(folder.simulator_path(), {}, 230400)) << "ORVEL_PHONESIM must be set";
    build();
    ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));

    const std::filesystem::path target =
        std::filesystem::temp_directory_path() / "orvel_gui_close_test.bin";
    std::filesystem::remove(target);
    ASSERT_TRUE(link.addJob(
        new ReadFileCommand(str(u"/big.bin"), str(target.u16string().c_str()), 1024 * 1024)));
    ASSERT_TRUE(pump_until(
        [&] { return text(gui->progress().text()) == u"big.bin" && gui->progress().value() > 0; },
        30000))
        << "the fetch is running";

    // Close as a person would: the window goes, then the object.
    requestClose(*gui);
    EXPECT_TRUE(pump_until([&] { return !gui->isWindow(); }, 5000));
    gui.reset();
    EXPECT_FALSE(link.isOpen());
    // The worker leaves the fetch at its next exchange.
    EXPECT_TRUE(pump_until([&] { return link.progressTotal() == 0; }, 10000));
    EXPECT_FALSE(std::filesystem::exists(target)) << "a cut fetch leaves no file";
}

} // namespace
