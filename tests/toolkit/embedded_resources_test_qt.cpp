// The program's pictures as the Qt driver loads them from the bytes built into it: each bitmap of
// res/orvel.rc arrives with the size and colours of its file, the icon at the size asked for.

#include <QtGui/QImage>
#include <gtest/gtest.h>

#include <string>

#include "toolkit/pixmap.h"

namespace {

struct bitmap_case {
    int id;
    const char* file;
};

TEST(EmbeddedResources, BitmapsArriveAsTheirFiles) {
    const bitmap_case cases[] = {{112, "bluetooth.bmp"},          {124, "usb.bmp"},
                                 {116, "tab_left.bmp"},           {118, "tab_middle.bmp"},
                                 {119, "tab_right.bmp"},          {125, "tab_left_checked.bmp"},
                                 {121, "tab_middle_checked.bmp"}, {122, "tab_right_checked.bmp"}};
    for (const bitmap_case& c : cases) {
        SCOPED_TRACE(c.file);
        const QImage file =
            QImage(QString::fromStdString(std::string(ORVEL_SOURCE_DIR "/res/") + c.file))
                .convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(file.isNull());
        vwin::vPixmap loaded;
        ASSERT_TRUE(loaded.loadResource(vwin::programResources(), c.id));
        ASSERT_EQ(loaded.width(), file.width());
        ASSERT_EQ(loaded.height(), file.height());
        for (int y = 0; y < file.height(); ++y)
            for (int x = 0; x < file.width(); ++x)
                ASSERT_EQ(loaded.pixel(x, y), file.pixel(x, y) & 0x00FFFFFFu) << x << "," << y;
    }
}

TEST(EmbeddedResources, TheIconComesAtTheSizeAskedWithItsTransparency) {
    for (const int size : {16, 32}) {
        vwin::vPixmap icon;
        ASSERT_TRUE(icon.loadResource(vwin::programResources(), 101, size));
        EXPECT_EQ(icon.width(), size);
        EXPECT_EQ(icon.pixel(0, size - 1) >> 24, 0u) << "a corner beside the phone is clear";
        EXPECT_EQ(icon.pixel(size / 3, size / 2) >> 24, 0xFFu) << "the phone's screen is opaque";
    }
    vwin::vPixmap none;
    EXPECT_FALSE(none.loadResource(vwin::programResources(), 4242));
    EXPECT_FALSE(none.valid());
}

} // namespace
