// The Specials page against the phone simulator, over either driver: the five files read in
// order, the profiles, touch and menu lists from the sample files, editing a menu line in place
// and saving it back byte for byte, refused characters, Save without a menu file, Save during a
// load, the layout.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/stream.h"
#include "core/vobject.h"
#include "link/samsung_comm.h"
#include "phone/orvel_special_view.h"
#include "tests/link/signal_log.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gui_pump.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

using namespace vwin;

namespace {

constexpr const char* menu_path = "/Registry/MainMenu_reg.ini";

std::string utf8(const str& s) {
    return s.to_utf8();
}

std::vector<std::string> rowTexts(vListView& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(utf8(list.at(i)->text()));
    return texts;
}

// The file's lines as the page holds them: split after each line feed, which is left out.
std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The file with line `index` (counted as linesOf does) replaced by `text`.
std::string withLine(const std::string& bytes, int index, const std::string& text) {
    std::string out;
    int line = 0;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const bool last = end == std::string::npos;
        if (last)
            end = bytes.size();
        if (last && start == end)
            break;
        out += line == index ? text : bytes.substr(start, end - start);
        if (!last)
            out += '\n';
        ++line;
        start = end + 1;
    }
    return out;
}

class SpecialsPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }
    void TearDown() override { view.reset(); }

    bool havePhone() { return std::getenv("ORVEL_PHONESIM") != nullptr; }

    // The page, connected to the link as the main window connects it, shown so that its edit
    // field can take the focus.
    void makePage() {
        view = std::make_unique<OrvelSpecial>(nullptr, link);
        connect(static_cast<vObject*>(&link), u"connected", view.get(), &OrvelSpecial::readAll);
        view->resize(600, 400);
        view->setVisible(true);
        pump_pending();
    }

    // Starts the phone and opens its port: "connected" makes the page read its files.
    void connectPhone(const std::vector<std::string>& faults = {}) {
        ASSERT_TRUE(phone.start(folder.simulator_path(), faults));
        ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));
    }

    // Pumps messages until every job queued so far has run.
    bool waitForJobs(int timeout_ms = 60000) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        link.addJob(new probe_job([done](SamsungComm&) { *done = true; }));
        return pump_until([&] { return done->load(); }, timeout_ms);
    }
    // Hands the reports of the jobs that ended to the page, as the main window does.
    void deliverReports() {
        for (const job_report& report : link.takeReports())
            view->jobFinished(report);
    }

    int jobsQueued() { return static_cast<int>(log.named("setprogressmax").size()); }

    std::string phoneFile(const std::string& path) { return read_bytes(folder.file(path)); }

    // A left click on the Save button: press and release at the same point.
    void clickSave() {
        OrvelButton& button = view->saveButton();
        for (std::uint32_t type : {event_press, event_release}) {
            vMouseEvent click;
            click.x = click.y = 5;
            click.button = button_left;
            click.type = type;
            click.buttonsBefore = type == event_press ? 0 : MK_LBUTTON;
            click.buttonsAfter = type == event_press ? MK_LBUTTON : 0;
            button.mouseEvent(&click);
        }
    }

    // Opens the edit field on a menu row with Return, as a user does, and answers the field.
    vLineEdit* editRow(int row) {
        OrvelEditFile& menu = view->menuList();
        menu.setCurrent(menu.at(row), false, 0);
        press(menu, VK_RETURN);
        return menu.editedItem() == menu.at(row) ? menu.editField() : nullptr;
    }
    void pressInField(vLineEdit* field, std::uint32_t key) { press(*field, key); }
    static void press(vWidget& widget, std::uint32_t key) {
        vKeyEvent down{key, event_key_down, 0};
        widget.keyEvent(&down);
        pump_pending();
    }

    phone_folder folder; // a copy of the sample phone content
    sim_process phone;
    SamsungComm link;
    signal_log log{link};
    std::unique_ptr<OrvelSpecial> view;
};

TEST_F(SpecialsPage, ReadsTheFiveFilesInOrderAndShowsThem) {
    if (!havePhone())
        GTEST_SKIP() << "ORVEL_PHONESIM names no simulator program";
    makePage();
    connectPhone();
    ASSERT_TRUE(waitForJobs());

    std::vector<std::string> reads;
    for (const std::string& line : log.named("ReadBufCommand"))
        reads.push_back(line.substr(0, line.rfind(' ')));
    EXPECT_EQ(reads, (std::vector<std::string>{
                         "ReadBufCommand /Registry/ProtoAccount.ini",
                         "ReadBufCommand /Registry/DevWlanProfile.ini",
                         "ReadBufCommand /Registry/PshSetAccessPoint.ini",
                         "ReadBufCommand /Settings/Default/NV/nv_default.ini",
                         "ReadBufCommand /Registry/MainMenu_reg.ini",
                     }));

    const std::vector<std::string> profiles{"Browser = Internet", "MMS = MMS",
                                            "Email = Internet",   "JavaApps = WAP Portal",
                                            "Widgets = HomeNet",  "Sync = 9"};
    const std::vector<std::string> touch{"TOUCH_CAL_X_MIN = 112", "TOUCH_CAL_X_MAX = 3960",
                                         "TOUCH_CAL_Y_MIN = 95",  "TOUCH_CAL_Y_MAX = 3890",
                                         "TOUCH_SENSITIVITY = 3", "PROXIMITY_TOUCH_LOCK = 1"};
    const std::vector<std::string> menu = linesOf(phoneFile(menu_path));
    ASSERT_EQ(menu.size(), 31u);
    EXPECT_EQ(rowTexts(view->profilesList()), profiles);
    EXPECT_EQ(rowTexts(view->touchList()), touch);
    EXPECT_EQ(rowTexts(view->menuList()), menu);
    for (int i = 0; i < view->profilesList().count(); ++i)
        EXPECT_EQ(view->profilesList().at(i)->height(), OrvelSpecial::list_item_height);
    for (int i = 0; i < view->menuList().count(); ++i)
        EXPECT_EQ(view->menuList().at(i)->height(), OrvelEditFile::line_height);

    // Section colours: lines above the first "#" line take the first colour; the sixth section
    // (#Widgets) wraps to the first again.
    struct {
        int row;
        vColor colour;
    } colours[] = {{0, 0xFFFFF0},  {1, 0xFFFFF0},  {2, 0xFFF0FF},  {4, 0xFFF0FF},  {5, 0xF0FFFF},
                   {10, 0xF0F0FF}, {15, 0xFFF0F0}, {20, 0xF0FFF0}, {24, 0xF0FFF0}, {25, 0xFFFFF0},
                   {27, 0xFFFFF0}, {28, 0xFFF0FF}, {30, 0xFFF0FF}};
    for (const auto& c : colours)
        EXPECT_EQ(view->menuList().at(c.row)->backgroundColor(), c.colour) << "row " << c.row;

    // A second connection shows every list once, not twice.
    link.closePort();
    ASSERT_TRUE(link.openPort(str::from_utf8(phone.port().c_str())));
    ASSERT_TRUE(waitForJobs());
    EXPECT_EQ(log.named("ReadBufCommand").size(), 10u);
    EXPECT_EQ(rowTexts(view->profilesList()), profiles);
    EXPECT_EQ(rowTexts(view->touchList()), touch);
    EXPECT_EQ(rowTexts(view->menuList()), menu);

    // Save after the second connection writes the file once, unchanged.
    const int before = jobsQueued();
    clickSave();
    EXPECT_EQ(jobsQueued(), before + 1);
    ASSERT_TRUE(waitForJobs());
    EXPECT_EQ(phoneFile(menu_path), read_bytes(std::filesystem::path(ORVEL_TEST_DATA) / "phone" /
                                               "Registry" / "MainMenu_reg.ini"));
}

TEST_F(SpecialsPage, EditedLinesAreSavedByteForByte) {
    if (!havePhone())
        GTEST_SKIP() << "ORVEL_PHONESIM names no simulator program";
    // CR LF lines and a last line without any line end.
    std::string original = phoneFile(menu_path);
    ASSERT_GE(original.size(), 2u);
    ASSERT_EQ(original.substr(original.size() - 2), "\r\n");
    original.resize(original.size() - 2);
    write_bytes(folder.file(menu_path), original);

    makePage();
    connectPhone();
    ASSERT_TRUE(waitForJobs());
    ASSERT_EQ(view->menuList().count(), 31);

    struct {
        int row;
        std::u16string typed;
        const char* line; // the line in the file afterwards; null: unchanged
    } edits[] = {
        {18, u"Item2=Solitaire", "Item2=Solitaire\r"},
        {30, u"Wallpaper=/My Files/Pictures/logo.bmp", "Wallpaper=/My Files/Pictures/logo.bmp"},
        {7, u"Item1=Kontakte \u00e9\u00ff", "Item1=Kontakte \xe9\xff\r"},
        {8, u"Item2=\u0100", nullptr}, // no byte for it: refused
        {9, u"Item3=\u20ac", nullptr}, // refused too
        {0, u"", "\r"},                // an emptied line keeps its line end
    };
    std::string expected = original;
    int refused = 0;
    for (const auto& e : edits) {
        SCOPED_TRACE(e.row);
        const std::string before = utf8(view->menuList().at(e.row)->text());
        vLineEdit* field = editRow(e.row);
        ASSERT_NE(field, nullptr);
        // The field shows the line without the carriage return of its line end.
        std::string shown = before;
        if (!shown.empty() && shown.back() == '\r')
            shown.pop_back();
        EXPECT_EQ(utf8(field->text()), shown);
        field->setText(e.typed.c_str());
        pressInField(field, VK_RETURN);
        EXPECT_EQ(view->menuList().editedItem(), nullptr);
        if (!e.line) {
            ++refused;
            EXPECT_EQ(utf8(view->menuList().at(e.row)->text()), before);
        } else {
            expected = withLine(expected, e.row, e.line);
        }
        EXPECT_EQ(view->menuList().refusedEdits(), refused);
        // A changed line is marked until it is saved.
        EXPECT_EQ(view->unsavedEdits(), e.line != nullptr && std::string(e.line) != before);

        clickSave();
        ASSERT_TRUE(waitForJobs());
        EXPECT_EQ(phoneFile(menu_path), expected);
        deliverReports();
        EXPECT_FALSE(view->unsavedEdits());
    }

    // Control+S saves as the button does.
    vLineEdit* typed = editRow(4);
    ASSERT_NE(typed, nullptr);
    typed->setText(u"ItemCount=11");
    pressInField(typed, VK_RETURN);
    EXPECT_TRUE(view->unsavedEdits());
    vKeyEvent save{'S', event_key_down, modifier_control};
    view->keyEvent(&save);
    EXPECT_TRUE(save.accepted);
    ASSERT_TRUE(waitForJobs());
    expected = withLine(expected, 4, "ItemCount=11\r");
    EXPECT_EQ(phoneFile(menu_path), expected);
    deliverReports();
    EXPECT_FALSE(view->unsavedEdits());

    // Escape drops an edit.
    vLineEdit* field = editRow(3);
    ASSERT_NE(field, nullptr);
    field->setText(u"PageCount=9");
    pressInField(field, VK_ESCAPE);
    EXPECT_EQ(utf8(view->menuList().at(3)->text()), "PageCount=3\r");
    clickSave();
    ASSERT_TRUE(waitForJobs());
    EXPECT_EQ(phoneFile(menu_path), expected);
}

TEST_F(SpecialsPage, MarksStayUntilASaveIsReportedDone) {
    if (!havePhone())
        GTEST_SKIP() << "ORVEL_PHONESIM names no simulator program";
    const std::string original = phoneFile(menu_path);
    makePage();
    // The phone refuses the first file chunk it is sent: the first save fails.
    connectPhone({"writefail=1"});
    ASSERT_TRUE(waitForJobs());
    ASSERT_EQ(view->menuList().count(), 31);
    const auto change = [&](int row, const char16_t* typed) {
        vLineEdit* field = editRow(row);
        ASSERT_NE(field, nullptr);
        field->setText(typed);
        pressInField(field, VK_RETURN);
    };

    change(18, u"Item2=Solitaire");
    clickSave();
    EXPECT_TRUE(view->unsavedEdits()) << "queued is not saved";
    ASSERT_TRUE(waitForJobs());
    deliverReports();
    EXPECT_EQ(phoneFile(menu_path), original) << "the refused save put the old file back";
    EXPECT_TRUE(view->unsavedEdits()) << "a failed save keeps the marks";

    // Saved again; a line changed after the save was queued keeps its mark.
    clickSave();
    ASSERT_TRUE(waitForJobs());
    change(7, u"Item1=Kontakte");
    deliverReports();
    EXPECT_EQ(phoneFile(menu_path), withLine(original, 18, "Item2=Solitaire\r"));
    EXPECT_TRUE(view->unsavedEdits()) << "line 7 was changed after the save";
    EXPECT_EQ(view->savesWaiting(), 0u);

    clickSave();
    ASSERT_TRUE(waitForJobs());
    deliverReports();
    EXPECT_FALSE(view->unsavedEdits());
}

TEST_F(SpecialsPage, SaveWithoutAMenuFileQueuesNothing) {
    makePage();
    const int before = jobsQueued();
    clickSave();
    pump_pending();
    EXPECT_FALSE(view->save());
    EXPECT_EQ(jobsQueued(), before);
    EXPECT_EQ(link.pending(), 0u);

    // Once a file has arrived, even an empty one, Save writes it.
    buf empty(16);
    EXPECT_TRUE(view->menuList().loadLines(empty));
    EXPECT_EQ(view->menuList().count(), 0);
    EXPECT_TRUE(view->save());
    EXPECT_EQ(jobsQueued(), before + 1);
}

TEST_F(SpecialsPage, SaveDuringALoadWritesOneWholeFile) {
    makePage();
    const std::string files[2] = {"#A\r\nx=1\r\n", "; other\n#B\ny=2\nz=3\n\nopen"};
    buf sources[2];
    for (int i = 0; i < 2; ++i) {
        sources[i].open();
        sources[i].write(files[i].data(), static_cast<std::uint32_t>(files[i].size()));
    }
    OrvelEditFile& menu = view->menuList();
    ASSERT_TRUE(menu.loadLines(sources[0]));

    // Loads on another thread, as the link worker does, while this thread saves.
    std::atomic<bool> stop{false};
    std::thread loader([&] {
        for (int i = 0; !stop; ++i)
            menu.loadLines(sources[i & 1]);
    });
    int seen[2] = {0, 0};
    for (int round = 0; round < 400; ++round) {
        buf out(0x10000);
        ASSERT_TRUE(menu.saveLines(out));
        const std::string saved(reinterpret_cast<const char*>(out.data()), out.size());
        if (saved == files[0])
            ++seen[0];
        else if (saved == files[1])
            ++seen[1];
        else
            ADD_FAILURE() << "a mixed file was saved: " << saved;
        if (round % 50 == 0)
            pump_pending();
    }
    stop = true;
    loader.join();
    pump_pending();
    EXPECT_EQ(seen[0] + seen[1], 400);
}

TEST_F(SpecialsPage, ChildrenAreLaidOutByHalves) {
    makePage();
    view->resize(400, 300);
    pump_pending();
    struct {
        const char* name;
        vWidget* child;
        RECT expected; // x, y, width, height
    } children[] = {
        {"profiles label", &view->profilesLabel(), {5, 0, 190, 18}},
        {"profiles list", &view->profilesList(), {5, 20, 190, 130}},
        {"touch label", &view->touchLabel(), {5, 150, 190, 18}},
        {"touch list", &view->touchList(), {5, 170, 190, 130}},
        {"menu label", &view->menuLabel(), {205, 0, 95, 18}},
        {"save button", &view->saveButton(), {305, 0, 90, 19}},
        {"menu list", &view->menuList(), {205, 20, 190, 280}},
    };
    for (const auto& c : children) {
        SCOPED_TRACE(c.name);
        const POINT origin = c.child->mapPoint(view->window(), POINT{0, 0});
        EXPECT_EQ(origin.x, c.expected.left);
        EXPECT_EQ(origin.y, c.expected.top);
        EXPECT_EQ(c.child->clientWidth(), c.expected.right);
        EXPECT_EQ(c.child->clientHeight(), c.expected.bottom);
    }
}

} // namespace
