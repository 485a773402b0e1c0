// The Java Apps page and the platform's own drag formats: a file list of 8-bit names is read as
// a wide one is; 8-bit text is no file list.

#include "tests/phone/java_view_fixture.h"
#include "tests/toolkit/dnd_fake_data_win32.h"

namespace {

using namespace java_view_test;

TEST_F(JavaAppsPage, DragEnterReadsEightBitFileListsAndRefusesEightBitText) {
    makePage();
    struct {
        const char* what;
        UINT format;
        dnd_test::bytes block;
        DWORD effect;
    } drags[] = {
        {"8-bit names", CF_HDROP, dnd_test::drop_files8({"C:\\g\\Game.jar"}), DROPEFFECT_COPY},
        {"8-bit names, no .jar", CF_HDROP, dnd_test::drop_files8({"C:\\g\\Game.jad"}),
         DROPEFFECT_NONE},
        {"8-bit text", CF_TEXT, dnd_test::text8("Game.jar"), DROPEFFECT_NONE},
    };
    for (auto& d : drags) {
        dnd_test::data_ref data;
        data->offer(d.format, d.block);
        vDropEvent event(data.data, DROPEFFECT_COPY | DROPEFFECT_MOVE);
        EXPECT_EQ(enter(event), d.effect) << d.what;
    }
}

} // namespace
