// Reading dragged data through a drop event: file lists (well formed and hostile), text, and
// named pointers from this process or elsewhere.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "tests/toolkit/dnd_fake_data_win32.h"
#include "toolkit/dnd.h"

using namespace vwin;
using dnd_test::bytes;
using dnd_test::data_ref;

namespace {

bytes with_offset(bytes block, DWORD offset) {
    DROPFILES head;
    std::memcpy(&head, block.data(), sizeof head);
    head.pFiles = offset;
    std::memcpy(block.data(), &head, sizeof head);
    return block;
}

bytes cut(bytes block, std::size_t drop) {
    block.resize(block.size() - drop);
    return block;
}

// The pointer block a live vPointerDrag hands out.
bytes pointer_block_of(vPointerDrag* drag) {
    FORMATETC format{static_cast<CLIPFORMAT>(pointerFormat()), nullptr, DVASPECT_CONTENT, -1,
                     TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (drag->GetData(&format, &medium) != S_OK)
        return {};
    const auto* p = static_cast<const unsigned char*>(GlobalLock(medium.hGlobal));
    bytes block(p, p + GlobalSize(medium.hGlobal));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return block;
}

vPointerBlock as_pointer(const bytes& block) {
    vPointerBlock pointer{};
    std::memcpy(&pointer, block.data(), std::min(block.size(), sizeof pointer));
    return pointer;
}

bytes from_pointer(const vPointerBlock& pointer) {
    const auto* p = reinterpret_cast<const unsigned char*>(&pointer);
    return bytes(p, p + sizeof pointer);
}

} // namespace

TEST(DropEventFiles, WideNamesEachFollowedByTheSeparator) {
    data_ref data;
    data->offer(CF_HDROP, dnd_test::drop_files({u"C:\\games\\a.jar", u"D:\\b\u00e9\u4e2d.jad"}));
    vDropEvent event(data.data, DROPEFFECT_COPY);
    EXPECT_TRUE(event.hasFiles());
    str text(u"old:");
    ASSERT_TRUE(event.fileNames(text, u"|")) << event.lastError();
    EXPECT_TRUE(text.equals(u"old:C:\\games\\a.jar|D:\\b\u00e9\u4e2d.jad|"));

    // An empty list is delivered as no names.
    data_ref empty;
    empty->offer(CF_HDROP, dnd_test::drop_files({}));
    vDropEvent nothing(empty.data, DROPEFFECT_COPY);
    str none;
    EXPECT_TRUE(nothing.fileNames(none, u"|"));
    EXPECT_TRUE(none.empty());
}

TEST(DropEventFiles, EightBitNamesOneCharacterPerByte) {
    data_ref data;
    data->offer(CF_HDROP, dnd_test::drop_files8({"a", "C:\\x\xe9y.jar"}));
    vDropEvent event(data.data, DROPEFFECT_COPY);
    str text;
    ASSERT_TRUE(event.fileNames(text, u"|")) << event.lastError();
    EXPECT_TRUE(text.equals(u"a|C:\\x\u00e9y.jar|"));
}

TEST(DropEventFiles, BlocksReachingPastTheirSizeAreRefused) {
    const bytes good = dnd_test::drop_files({u"a", u"b"});
    const bytes good8 = dnd_test::drop_files8({"a", "b"});
    struct hostile {
        const char* what;
        bytes block;
    };
    const hostile cases[] = {
        {"offset far past the block", with_offset(good, 0x7fffffff)},
        {"offset at the end of the block", with_offset(good, static_cast<DWORD>(good.size()))},
        {"offset one unit before the end, no closing zero", with_offset(good, good.size() - 1)},
        {"list without its closing zero", cut(good, 2)},
        {"last name without its zero", cut(good, 4)},
        {"a wide name cut in the middle of a character", cut(good, 5)},
        {"8-bit list without its closing zero", cut(good8, 1)},
        {"8-bit name without its zero", cut(good8, 2)},
        {"block smaller than its header", bytes(sizeof(DROPFILES) - 1, 0)},
        {"empty block", bytes()},
    };
    for (const hostile& c : cases) {
        data_ref data;
        data->offer(CF_HDROP, c.block);
        vDropEvent event(data.data, DROPEFFECT_COPY);
        str text(u"kept");
        EXPECT_FALSE(event.fileNames(text, u"|")) << c.what;
        EXPECT_TRUE(text.equals(u"kept")) << c.what;
        EXPECT_STRNE(event.lastError(), "") << c.what;
    }
}

TEST(DropEventFiles, NoListOrAFailedDeliveryIsFalse) {
    data_ref text_only;
    text_only->offer(CF_TEXT, dnd_test::text8("just text"));
    vDropEvent plain(text_only.data, DROPEFFECT_COPY);
    str text;
    EXPECT_FALSE(plain.hasFiles());
    EXPECT_FALSE(plain.fileNames(text, u"|"));
    EXPECT_EQ(text_only->fetches(), 0); // nothing is fetched that was not offered

    data_ref broken;
    broken->offer(CF_HDROP, dnd_test::drop_files({u"a"}));
    broken->break_delivery(CF_HDROP);
    vDropEvent failing(broken.data, DROPEFFECT_COPY);
    EXPECT_TRUE(failing.hasFiles());
    EXPECT_FALSE(failing.fileNames(text, u"|"));
    EXPECT_TRUE(text.empty());

    vDropEvent nothing(nullptr, DROPEFFECT_COPY);
    EXPECT_FALSE(nothing.hasFiles());
    EXPECT_FALSE(nothing.fileNames(text, u"|"));
}

TEST(DropEventText, WideThenEightBitThenOem) {
    struct offer {
        UINT format;
        bytes block;
    };
    struct row {
        const char* what;
        std::vector<offer> offers;
        const char16_t* expected; // null: no text
    };
    const row rows[] = {
        {"wide wins",
         {{CF_TEXT, dnd_test::text8("eight")}, {CF_UNICODETEXT, dnd_test::text16(u"wide \u4e2d")}},
         u"wide \u4e2d"},
        {"8-bit before OEM",
         {{CF_OEMTEXT, dnd_test::text8("oem")}, {CF_TEXT, dnd_test::text8("eight \xe9")}},
         u"eight \u00e9"},
        {"OEM alone", {{CF_OEMTEXT, dnd_test::text8("oem")}}, u"oem"},
        {"8-bit without zero ends with its block", {{CF_TEXT, bytes{'a', 'b', 'c'}}}, u"abc"},
        {"wide without zero, odd size", {{CF_UNICODETEXT, bytes{'x', 0, 'y', 0, 'z'}}}, u"xy"},
        {"files only", {{CF_HDROP, dnd_test::drop_files({u"a"})}}, nullptr},
    };
    for (const row& r : rows) {
        data_ref data;
        for (const offer& o : r.offers)
            data->offer(o.format, o.block);
        vDropEvent event(data.data, DROPEFFECT_COPY);
        str text(u"before");
        if (r.expected) {
            EXPECT_TRUE(event.dragText(text)) << r.what;
            EXPECT_TRUE(text.equals(r.expected)) << r.what;
        } else {
            EXPECT_FALSE(event.dragText(text)) << r.what;
            EXPECT_TRUE(text.equals(u"before")) << r.what;
        }
    }
}

TEST(DropEventPointer, NameComparedWithCase) {
    auto* drag = new vPointerDrag(u"vlistviewitem", 0x1234);
    vDropEvent event(drag, DROPEFFECT_MOVE);
    EXPECT_FALSE(event.hasNamedPointer(u"vListViewItem"));
    EXPECT_TRUE(event.hasNamedPointer(u"vlistviewitem"));
    EXPECT_TRUE(event.hasNamedPointer(nullptr));
    EXPECT_TRUE(event.fromThisProcess());
    drag->Release(); // the event still holds its own reference
}

TEST(DropEventPointer, BlocksNotMadeByALiveDragHereAreNotActedOn) {
    int item = 0;
    auto* drag = new vPointerDrag(u"vListViewItem", reinterpret_cast<std::uintptr_t>(&item));
    const bytes genuine = pointer_block_of(drag);
    ASSERT_EQ(genuine.size(), sizeof(vPointerBlock));

    vPointerBlock other_process = as_pointer(genuine);
    other_process.process = GetCurrentProcessId() + 4;
    vPointerBlock other_value = as_pointer(genuine);
    other_value.value += 8;
    vPointerBlock no_such_drag = as_pointer(genuine);
    no_such_drag.serial += 1000;
    bytes longer = genuine;
    longer.push_back(0);

    struct row {
        const char* what;
        bytes block;
        bool acted_on;
    };
    const row rows[] = {
        {"the genuine block", genuine, true},
        {"another process", from_pointer(other_process), false},
        {"a value the drag does not hold", from_pointer(other_value), false},
        {"a serial of no drag", from_pointer(no_such_drag), false},
        {"one byte too many", longer, false},
        {"the 4-byte form", bytes(genuine.begin(), genuine.begin() + 4), false},
    };
    for (const row& r : rows) {
        data_ref data;
        data->offer(pointerFormat(), r.block);
        data->offer(CF_TEXT, dnd_test::text8("vListViewItem"));
        vDropEvent event(data.data, DROPEFFECT_MOVE);
        str text;
        std::uintptr_t value = 77;
        EXPECT_EQ(event.fromThisProcess(), r.acted_on) << r.what;
        EXPECT_EQ(event.hasNamedPointer(u"vListViewItem"), r.acted_on) << r.what;
        EXPECT_EQ(event.pointerValue(text, value), r.acted_on) << r.what;
        EXPECT_EQ(value, r.acted_on ? reinterpret_cast<std::uintptr_t>(&item) : 77u) << r.what;
    }

    // Once the drag has ended its block is stale.
    drag->Release();
    data_ref data;
    data->offer(pointerFormat(), genuine);
    data->offer(CF_TEXT, dnd_test::text8("vListViewItem"));
    vDropEvent event(data.data, DROPEFFECT_MOVE);
    EXPECT_FALSE(event.hasNamedPointer(u"vListViewItem"));
}

TEST(DropEventPointer, APointerWithoutItsNameIsNoNamedPointer) {
    auto* drag = new vPointerDrag(u"vListViewItem", 1);
    data_ref pointer_only;
    pointer_only->offer(pointerFormat(), pointer_block_of(drag));
    vDropEvent no_name(pointer_only.data, DROPEFFECT_MOVE);
    EXPECT_TRUE(no_name.fromThisProcess());
    EXPECT_FALSE(no_name.hasNamedPointer(nullptr));
    drag->Release();
}
