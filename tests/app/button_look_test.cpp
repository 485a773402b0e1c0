// The program's button look: the six tab-button images from its bitmap resources, and the shared
// look that its process-wide objects set, so that every OrvelButton made with (parent, text)
// (tabs, "Auto Connect", "Save") is drawn from those images in the button font.

#include <gtest/gtest.h>

#include <vector>

#include "app/globals.h"
#include "phone/orvel_special_view.h"
#include "tests/app/view_probe.h"
#include "toolkit/orvel_button.h"
#include "toolkit/widget.h"

using namespace vwin;

namespace {

constexpr vColor rgb(vColor c) {
    return c & 0x00FFFFFF;
}

int countRed(const vPixmap& p) {
    int n = 0;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            n += rgb(p.pixel(x, y)) == 0xFF0000;
    return n;
}

std::vector<vColor> pixelsOf(const vPixmap& p) {
    std::vector<vColor> out;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            out.push_back(p.pixel(x, y));
    return out;
}

TEST(OrvelButtonImages, ProgramResources) {
    OrvelButtonImages images(programResources());
    std::vector<vColor> middles[2];
    int capRed = 0;
    for (bool checked : {false, true}) {
        for (auto part : {OrvelButtonImages::left_cap, OrvelButtonImages::middle,
                          OrvelButtonImages::right_cap}) {
            const vPixmap& p = images.image(checked, part);
            ASSERT_TRUE(p.valid()) << checked << " " << part;
            EXPECT_GT(p.width(), 0);
            EXPECT_EQ(p.height(), images.image(false, OrvelButtonImages::middle).height());
        }
        capRed += countRed(images.image(checked, OrvelButtonImages::left_cap)) +
                  countRed(images.image(checked, OrvelButtonImages::right_cap));
        middles[checked] = pixelsOf(images.image(checked, OrvelButtonImages::middle));
    }
    EXPECT_GT(capRed, 0) << "the caps mark their surroundings in red";
    images.prepare();
    for (bool checked : {false, true}) {
        EXPECT_EQ(countRed(images.image(checked, OrvelButtonImages::left_cap)), 0);
        EXPECT_EQ(countRed(images.image(checked, OrvelButtonImages::right_cap)), 0);
        EXPECT_EQ(pixelsOf(images.image(checked, OrvelButtonImages::middle)), middles[checked]);
    }
}

TEST(OrvelButton, TheProgramsImagesAndFontAreTheSharedLook) {
    EXPECT_EQ(&OrvelButton::sharedImages(), &orvelButtonImages());
    EXPECT_EQ(OrvelButton::sharedFont(), &orvelButtonFont());
    vWidget host(nullptr, u"host");
    OrvelButton button(&host, u"Devices");
    EXPECT_EQ(&button.images(), &orvelButtonImages());
    EXPECT_TRUE(orvelButtonImages().prepared());
    EXPECT_EQ(button.font().handle(), orvelButtonFont().handle());
    EXPECT_TRUE(orvelButtonFont().owns()) << "the shared font keeps its handle";
    EXPECT_EQ(button.backgroundMode(), background_none);
    EXPECT_EQ(button.text(), str(u"Devices"));
}

// The Specials page's "Save" is drawn like the tabs, from the program's images in its button font.
TEST(OrvelButton, SpecialsSaveButtonHasTheProgramsLook) {
    SamsungComm link;
    OrvelSpecial page(nullptr, link);
    page.resize(400, 300);
    OrvelButton& save = page.saveButton();
    EXPECT_EQ(save.text(), str(u"Save"));
    EXPECT_EQ(&save.images(), &orvelButtonImages());
    EXPECT_EQ(save.font().handle(), orvelButtonFont().handle());

    const int w = save.clientWidth(), h = save.clientHeight();
    ASSERT_EQ(w, 90);
    vPixmap shot;
    ASSERT_TRUE(app_test::render(save, shot));
    // Away from the centred text: the top row of the middles and the outer columns of the right
    // cap show the images as they are.
    const vPixmap& middle = orvelButtonImages().image(false, OrvelButtonImages::middle);
    const vPixmap& left = orvelButtonImages().image(false, OrvelButtonImages::left_cap);
    const vPixmap& right = orvelButtonImages().image(false, OrvelButtonImages::right_cap);
    ASSERT_GT(middle.width(), 0);
    ASSERT_GT(right.width(), 2);
    for (int x = left.width(); x < w - right.width(); ++x)
        EXPECT_EQ(rgb(shot.pixel(x, 0)), rgb(middle.pixel((x - left.width()) % middle.width(), 0)))
            << "x " << x;
    for (int y = 0; y < h && y < right.height(); ++y)
        for (int dx = 1; dx <= 2; ++dx)
            EXPECT_EQ(rgb(shot.pixel(w - dx, y)), rgb(right.pixel(right.width() - dx, y)))
                << "x " << w - dx << " y " << y;
}

} // namespace
