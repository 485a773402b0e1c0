// The Devices view against registry fixtures and the phone simulator: which ports become rows,
// Auto Connect's order and report, connecting by double-click, the identity rows, the language
// row, F1, the line about the link (a port that does not open, connected with the model, a port
// where no phone answers; the end-to-end test devices_states goes on to an unplugged phone) and
// the layout.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/hw_view.h"
#include "core/lang.h"
#include "core/memory_registry.h"
#include "core/vobject.h"
#include "link/samsung_comm.h"
#include "tests/app/view_probe.h"
#include "tests/support/gui_pump.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

using namespace vwin;

namespace {

std::u16string text(const str& s) {
    return std::u16string(s.c_str(), s.length());
}

std::u16string wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

using rows_t = std::vector<std::pair<std::u16string, std::u16string>>;

// The port rows: (device name, port name).
rows_t portRows(OrvelHWView& view) {
    rows_t rows;
    vListView& list = view.portList();
    for (int i = 0; i < list.count(); ++i) {
        auto* row = dynamic_cast<portItem*>(list.at(i));
        if (row)
            rows.emplace_back(text(row->text()), text(row->port()));
        else
            rows.emplace_back(u"(not a port row)", u"");
    }
    return rows;
}

std::vector<std::u16string> rowTexts(vListView& list) {
    std::vector<std::u16string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(text(list.at(i)->text()));
    return texts;
}

std::vector<bool> selection(vListView& list) {
    std::vector<bool> selected;
    for (int i = 0; i < list.count(); ++i)
        selected.push_back(list.at(i)->isSelected());
    return selected;
}

class HWViewTest : public ::testing::Test {
protected:
    void SetUp() override { set_user_language_for_tests(9); }
    void TearDown() override { set_user_language_for_tests(-1); }

    // A USB modem of the phone below Enum\USB.
    void usb(const char16_t* instance, const char16_t* friendly, const char16_t* port) {
        std::u16string key = u"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_04E8&PID_6601\\";
        key += instance;
        reg.set_string(reg_root::local_machine, key.c_str(), u"Class", u"Modem");
        reg.set_string(reg_root::local_machine, key.c_str(), u"FriendlyName", friendly);
        reg.set_string(reg_root::local_machine, (key + u"\\Device Parameters").c_str(), u"PortName",
                       port);
    }
    // A serial entry of the Toshiba Bluetooth stack (a Bluetooth record, never probed).
    void bluetooth(const char16_t* entry, const char16_t* name, const std::u16string& port) {
        std::u16string key = u"Software\\Toshiba\\BluetoothStack\\V1.0\\EZC\\DATA\\";
        key += entry;
        reg.set_string(reg_root::current_user, key.c_str(), u"SERVICENAME", u"Serial Port");
        reg.set_string(reg_root::current_user, key.c_str(), u"ENTRYNAME", name);
        reg.set_string(reg_root::current_user, (key + u"\\SCORIGINAL").c_str(), u"PORTNAME",
                       port.c_str());
    }

    // A view over the fixture registry whose USB probe answers yes for the ports in `answering`
    // (and records every port it was asked about).
    std::unique_ptr<OrvelHWView> makeView(std::vector<std::u16string> answering) {
        OrvelPortDiscovery discovery;
        discovery.reg = &reg;
        discovery.probe = [this, answering](const str& port) {
            probed.push_back(text(port));
            for (const auto& p : answering)
                if (p == text(port))
                    return true;
            return false;
        };
        auto view = std::make_unique<OrvelHWView>(&host, link, discovery);
        view->setGeometry(0, 0, 640, 480);
        return view;
    }

    // The phone simulator, started on first use.
    std::u16string phonePort() {
        if (!phone.running()) {
            EXPECT_TRUE(folder.ok());
            EXPECT_TRUE(phone.start(folder.simulator_path())) << "ORVEL_PHONESIM must be set";
        }
        return wide(phone.port());
    }

    // As the main window does on its timer: every report to the view; a phone found gone clears
    // the link (a job that found the port closed clears nothing: a newer connection may be open).
    void deliverReports(OrvelHWView& view) {
        for (const job_report& report : link.takeReports()) {
            view.jobFinished(report);
            if (report.failure.error == link_error::no_answer ||
                report.failure.error == link_error::port_failed)
                link.clear();
        }
    }
    // Pumps, handing over the reports, until no job is left and the line begins with `expected`;
    // false after 30 s.
    bool lineBegins(OrvelHWView& view, const std::u16string& expected) {
        return pump_until(
            [&] {
                deliverReports(view);
                return !link.busy() && text(view.stateLabel().text()).rfind(expected, 0) == 0;
            },
            30000);
    }

    memory_registry reg;
    vWidget host{nullptr, u"host"};
    SamsungComm link;
    std::vector<std::u16string> probed;
    phone_folder folder;
    sim_process phone;
};

TEST_F(HWViewTest, UsbPortsAreProbedBluetoothPortsListed) {
    usb(u"1", u"SAMSUNG Mobile USB Modem", u"COM5");
    usb(u"2", u"SAMSUNG Mobile USB Modem #2", u"COM6");
    bluetooth(u"0001", u"Wave BT", u"COM9");
    bluetooth(u"0002", u"Wave without port", u"");
    auto view = makeView({u"COM5"});

    EXPECT_EQ(probed, (std::vector<std::u16string>{u"COM5", u"COM6"}));
    EXPECT_EQ(portRows(*view), (rows_t{{u"SAMSUNG Mobile USB Modem", u"COM5"},
                                       {u"Wave BT", u"COM9"},
                                       {u"Wave without port", u""}}));
    EXPECT_EQ(text(view->usbPorts()),
              u"SAMSUNG Mobile USB Modem:COM5;SAMSUNG Mobile USB Modem #2:COM6;");
    EXPECT_EQ(text(view->bluetoothPorts()), u"Wave BT:COM9;Wave without port:;");

    vListView& list = view->portList();
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_EQ(list.at(i)->height(), 25);
        ASSERT_NE(list.at(i)->icon(), nullptr);
        EXPECT_EQ(list.at(i)->icon()->width(), 17);
        EXPECT_EQ(list.at(i)->icon()->height(), 24);
    }
    EXPECT_TRUE(list.isReadOnly());
    EXPECT_GE(list.selectionMode(), 2);
    EXPECT_TRUE(view->propertiesList().isReadOnly());
    EXPECT_EQ(view->propertiesList().selectionMode(), 0);
    EXPECT_EQ(view->propertiesList().itemTextColor(), 0x157DCCu);
    EXPECT_EQ(view->backgroundColor(), 0xF0F0F0u);
}

TEST_F(HWViewTest, APortThatFailsItsProbeGetsNoRow) {
    usb(u"1", u"SAMSUNG Mobile USB Modem", u"COM250");
    OrvelPortDiscovery discovery;
    discovery.reg = &reg; // the link's own probe: nothing answers on COM250
    OrvelHWView view(&host, link, discovery);
    EXPECT_EQ(view.portList().count(), 0);
    EXPECT_FALSE(view.usbPorts().empty());
}

TEST_F(HWViewTest, NoPortsAtAll) {
    auto view = makeView({});
    EXPECT_EQ(view->portList().count(), 0);
    EXPECT_EQ(rowTexts(view->propertiesList()), (std::vector<std::u16string>{u"Not connected"}));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(view->autoConnect());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(HWViewTest, TextsByLanguage) {
    struct row {
        int language;
        const char16_t *devices, *properties, *languageRow;
    };
    const row rows[] = {{9, u"Devices:", u"Properties:", u"Not connected"},
                        {7, u"Ger\u00e4te:", u"Eigenschaften:", u"Nicht verbunden"}};
    for (const row& r : rows) {
        set_user_language_for_tests(r.language);
        auto view = makeView({});
        EXPECT_EQ(text(view->devicesLabel().text()), r.devices);
        EXPECT_EQ(text(view->propertiesLabel().text()), r.properties);
        EXPECT_EQ(view->devicesLabel().alignment(), 8u);
        EXPECT_EQ(view->devicesLabel().backgroundColor(), 0xF0F0F0u);
        EXPECT_EQ(view->propertiesLabel().backgroundColor(), 0xF0F0F0u);
        ASSERT_EQ(view->propertiesList().count(), 1);
        EXPECT_EQ(text(view->propertiesList().at(0)->text()), r.languageRow);
        EXPECT_EQ(view->propertiesList().at(0)->height(), 20);
    }
}

TEST_F(HWViewTest, AutoConnectTriesFromTheLastRowAndStopsAtTheFirstThatOpens) {
    const std::u16string simulated = phonePort();
    bluetooth(u"0001", u"First", u"COM250");
    bluetooth(u"0002", u"Phone", simulated);
    bluetooth(u"0003", u"Last", u"COM251");
    auto view = makeView({});
    ASSERT_EQ(view->portList().count(), 3);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(view->autoConnect());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "COM251 no\n" + phone.port() + " ok\n");
    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(selection(view->portList()), (std::vector<bool>{false, true, false}));

    // The button does the same.
    link.closePort();
    testing::internal::CaptureStdout();
    app_test::click(view->connectButton(), 10, 10);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "COM251 no\n" + phone.port() + " ok\n");
    EXPECT_TRUE(link.isOpen());
}

TEST_F(HWViewTest, AutoConnectWhenNothingOpens) {
    bluetooth(u"0001", u"A", u"COM250");
    bluetooth(u"0002", u"B", u"COM251");
    bluetooth(u"0003", u"C", u"COM252");
    auto view = makeView({});
    testing::internal::CaptureStdout();
    EXPECT_FALSE(view->autoConnect());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "COM252 no\nCOM251 no\nCOM250 no\n");
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(selection(view->portList()), (std::vector<bool>{false, false, false}));
}

TEST_F(HWViewTest, DoubleClickConnectsTheRowUnderThePointer) {
    const std::u16string simulated = phonePort();
    bluetooth(u"0001", u"Phone", simulated);
    bluetooth(u"0002", u"Nothing", u"COM250");
    auto view = makeView({});
    vListView& list = view->portList();
    ASSERT_EQ(list.count(), 2);

    // No row, and a row whose port does not open.
    EXPECT_FALSE(view->connectItem(nullptr));
    EXPECT_FALSE(view->connectItem(list.at(1)));
    app_test::sendMouse(list, event_double_click, button_left, 20, 100,
                        MK_LBUTTON); // below the rows
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(selection(list), (std::vector<bool>{false, false}));

    app_test::sendMouse(list, event_double_click, button_left, 20, 12, MK_LBUTTON); // the first row
    EXPECT_TRUE(link.isOpen());
    EXPECT_TRUE(list.at(0)->isSelected());
    EXPECT_FALSE(list.at(1)->isSelected());
}

TEST_F(HWViewTest, IdentityRowsAfterConnecting) {
    const std::u16string simulated = phonePort();
    bluetooth(u"0001", u"Phone", simulated);
    auto view = makeView({});
    // As the main window wires it.
    connect(&link, u"connected", view.get(), &OrvelHWView::connected);
    connect(&link, u"disconnected", view.get(), &OrvelHWView::disconnected);

    ASSERT_TRUE(view->connectItem(view->portList().at(0)));
    vListView& props = view->propertiesList();
    ASSERT_TRUE(pump_until([&] { return props.count() >= 7; }, 20000));
    EXPECT_EQ(rowTexts(props), (std::vector<std::u16string>{
                                   u"Manufacturer: SAMSUNG",
                                   u"Model: GT-S8500",
                                   u"Serial number: 354789040123457",
                                   u"Product name: GT-S8500HKADBT",
                                   u"Firmware: S8500XXJL2",
                                   u"Battery: 80 %",
                                   u"Phone number: +491701234567",
                               }));
    // The phone's own answers stay readable where they are shown differently.
    EXPECT_EQ(text(props.at(5)->rightText()), u"0,80");
    EXPECT_EQ(text(props.at(6)->rightText()), u"\"Own number\",\"+491701234567\",145");
    EXPECT_EQ(text(props.at(0)->rightText()), u"");
    for (int i = 0; i < props.count(); ++i)
        EXPECT_EQ(props.at(i)->height(), 20);

    link.closePort();
    EXPECT_EQ(rowTexts(props), (std::vector<std::u16string>{u"Not connected"}))
        << "disconnected empties the properties";
}

TEST_F(HWViewTest, TheLineSaysWhatBecameOfTheLink) {
    const std::u16string first = phonePort();
    sim_process mute;
    ASSERT_TRUE(mute.start(folder.simulator_path(), {"silent=1"}));
    bluetooth(u"0001", u"Nothing", u"COM250");
    bluetooth(u"0002", u"Phone", first);
    bluetooth(u"0003", u"Mute", wide(mute.port()));
    auto view = makeView({});
    connect(&link, u"connected", view.get(), &OrvelHWView::connected);
    connect(&link, u"disconnected", view.get(), &OrvelHWView::disconnected);
    const auto shown = [&] { return text(view->stateLabel().text()); };
    EXPECT_EQ(shown(), u"Not connected");

    EXPECT_FALSE(view->connectItem(view->portList().at(0)));
    EXPECT_TRUE(lineBegins(*view, u"COM250 did not open: ")) << str(shown().c_str()).to_utf8();
    ASSERT_TRUE(view->connectItem(view->portList().at(1)));
    EXPECT_TRUE(lineBegins(*view, u"Connected to " + first + u" \u2014 GT-S8500"))
        << str(shown().c_str()).to_utf8();

    ASSERT_TRUE(view->connectItem(view->portList().at(2)));
    EXPECT_TRUE(lineBegins(*view, u"No phone answered on " + wide(mute.port())))
        << str(shown().c_str()).to_utf8();
}

TEST_F(HWViewTest, F1EmptiesThePropertiesWhereverItReachesTheView) {
    bluetooth(u"0001", u"A", u"COM250");
    auto view = makeView({});
    host.showNormal();
    vListView& props = view->propertiesList();
    const auto fill = [&] {
        view->addProperty(u"AT+CGMI\r", u"SAMSUNG");
        view->addProperty(u"AT+CBC\r", u" 0,80");
    };
    fill();
    ASSERT_EQ(props.count(), 3);
    EXPECT_EQ(text(props.at(2)->text()), u"Battery: 80 %");

    app_test::sendKey(*view, VK_F1, event_key_up);
    app_test::sendKey(*view, VK_F2);
    EXPECT_EQ(props.count(), 3) << "F1 released or another key change nothing";

    app_test::sendKey(*view, VK_F1);
    EXPECT_EQ(props.count(), 0);
    EXPECT_TRUE(props.isVisible()) << "shown again";

    fill();
    app_test::sendKey(view->portList(), VK_F1); // passed on by the list
    EXPECT_EQ(props.count(), 0);
}

TEST_F(HWViewTest, AnswersFromAnotherThread) {
    auto view = makeView({});
    std::thread worker([&] {
        for (int i = 0; i < 40; ++i)
            view->addProperty(u"AT+SWVER?\r", u" S8500XXJL2");
    });
    EXPECT_TRUE(pump_until([&] { return view->propertiesList().count() == 41; }, 10000));
    worker.join();
}

TEST_F(HWViewTest, PortRowPaint) {
    bluetooth(u"0001", u"Wave BT", u"COM9");
    auto view = makeView({});
    auto* row = dynamic_cast<portItem*>(view->portList().at(0));
    ASSERT_NE(row, nullptr);
    const vPixmap& icon = *row->icon();

    for (bool selected : {false, true}) {
        row->setSelected(selected);
        vPixmap canvas(300, 25);
        canvas.fill(0x00123456);
        const RECT r{0, 0, 300, 25};
        row->draw(canvas, r);
        const vColor face = selected ? 0x157DCC : 0xFFFFFF;
        const vColor name = selected ? 0xFFFFFF : 0x157DCC;
        EXPECT_EQ(canvas.pixel(298, 2) & 0xFFFFFF, face) << "row background";
        EXPECT_EQ(canvas.pixel(150, 24) & 0xFFFFFF, 0xF0F0F0u) << "the line at the bottom";
        EXPECT_EQ(canvas.pixel(5, 5) & 0xFFFFFF, icon.pixel(5, 5) & 0xFFFFFF) << "icon";
        int nameInk = 0, portInk = 0;
        for (int y = 5; y < 20; ++y) {
            for (int x = 28; x < 120; ++x)
                nameInk += (canvas.pixel(x, y) & 0xFFFFFF) == name;
            for (int x = 200; x < 295; ++x)
                portInk += (canvas.pixel(x, y) & 0xFFFFFF) == (selected ? 0xFFFFFFu : 0x606060u);
        }
        EXPECT_GT(nameInk, 10) << "the device name on the left";
        EXPECT_GT(portInk, 5) << "the port name on the right";
    }
}

TEST_F(HWViewTest, Layout) {
    auto view = makeView({});
    view->setGeometry(0, 0, 640, 500);
    struct row {
        const char* what;
        vWidget& child;
        RECT expected;
    };
    const row rows[] = {
        {"devices label", view->devicesLabel(), {5, 5, 635, 25}},
        {"port list", view->portList(), {5, 30, 635, 200}},
        {"button", view->connectButton(), {5, 210, 205, 235}},
        {"properties label", view->propertiesLabel(), {5, 245, 635, 265}},
        {"properties list", view->propertiesList(), {5, 270, 635, 500}},
    };
    for (const row& r : rows) {
        const RECT got = app_test::childRect(r.child);
        EXPECT_EQ(got.left, r.expected.left) << r.what;
        EXPECT_EQ(got.top, r.expected.top) << r.what;
        EXPECT_EQ(got.right, r.expected.right) << r.what;
        EXPECT_EQ(got.bottom, r.expected.bottom) << r.what;
    }
}

} // namespace
