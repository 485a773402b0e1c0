// The data objects for dragging out (the empty base, the named pointer, the format enumerator)
// and the drop source's answers.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "toolkit/dnd.h"

using namespace vwin;

namespace {

FORMATETC format_of(UINT format, DWORD tymed = TYMED_HGLOBAL) {
    return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, tymed};
}

// A data object that tells when it is deleted.
class watched_data : public vDataObject {
public:
    explicit watched_data(bool& deleted) : deleted_(deleted) {}

protected:
    ~watched_data() override { deleted_ = true; }

private:
    bool& deleted_;
};

// Holds the first reference of a vPointerDrag.
struct drag_ref {
    vPointerDrag* drag;
    drag_ref(const char16_t* name, std::uintptr_t value) : drag(new vPointerDrag(name, value)) {}
    drag_ref(const drag_ref&) = delete;
    drag_ref& operator=(const drag_ref&) = delete;
    ~drag_ref() { drag->Release(); }
    vPointerDrag* operator->() const { return drag; }
};

std::string global_bytes(const STGMEDIUM& medium) {
    const auto* p = static_cast<const char*>(GlobalLock(medium.hGlobal));
    std::string bytes(p, GlobalSize(medium.hGlobal));
    GlobalUnlock(medium.hGlobal);
    return bytes;
}

} // namespace

TEST(DataObject, AnswersItsInterfacesAndOffersNoData) {
    bool deleted = false;
    IDataObject* data = new watched_data(deleted);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(data->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<IDataObject*>(static_cast<void*>(unknown)), data);
    void* other = &deleted;
    EXPECT_EQ(data->QueryInterface(IID_IDropTarget, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(data->QueryInterface(IID_IDataObject, nullptr), E_POINTER);

    FORMATETC format = format_of(CF_TEXT);
    STGMEDIUM medium{};
    IEnumFORMATETC* formats = nullptr;
    EXPECT_EQ(data->GetData(&format, &medium), E_NOTIMPL);
    EXPECT_EQ(data->GetDataHere(&format, &medium), E_NOTIMPL);
    EXPECT_EQ(data->QueryGetData(&format), E_NOTIMPL);
    EXPECT_EQ(data->SetData(&format, &medium, FALSE), E_NOTIMPL);
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), E_NOTIMPL);

    // Two references now (the creator's and the query's); the last release deletes.
    EXPECT_EQ(unknown->Release(), 1u);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(data->Release(), 0u);
    EXPECT_TRUE(deleted);
}

TEST(PointerDrag, OffersThePointerAndItsNameInGlobalMemoryOnly) {
    drag_ref drag(u"x", 1);
    struct row {
        const char* what;
        UINT format;
        DWORD tymed;
        HRESULT query, get;
    };
    const row rows[] = {
        {"pointer", pointerFormat(), TYMED_HGLOBAL, S_OK, S_OK},
        {"name", CF_TEXT, TYMED_HGLOBAL, S_OK, S_OK},
        {"name, global or stream", CF_TEXT, TYMED_HGLOBAL | TYMED_ISTREAM, S_OK, S_OK},
        {"name as a stream", CF_TEXT, TYMED_ISTREAM, S_FALSE, DV_E_TYMED},
        {"pointer without a medium", pointerFormat(), TYMED_NULL, S_FALSE, DV_E_TYMED},
        {"wide text", CF_UNICODETEXT, TYMED_HGLOBAL, S_FALSE, DV_E_FORMATETC},
        {"file list", CF_HDROP, TYMED_HGLOBAL, S_FALSE, DV_E_FORMATETC},
    };
    for (const row& r : rows) {
        FORMATETC format = format_of(r.format, r.tymed);
        EXPECT_EQ(drag->QueryGetData(&format), r.query) << r.what;
        STGMEDIUM medium{};
        EXPECT_EQ(drag->GetData(&format, &medium), r.get) << r.what;
        EXPECT_EQ(medium.hGlobal != nullptr, r.get == S_OK) << r.what;
        if (r.get == S_OK)
            ReleaseStgMedium(&medium);
    }
    FORMATETC format = format_of(CF_TEXT);
    EXPECT_EQ(drag->QueryGetData(nullptr), E_POINTER);
    EXPECT_EQ(drag->GetData(&format, nullptr), E_POINTER);
    EXPECT_EQ(drag->EnumFormatEtc(DATADIR_GET, nullptr), E_POINTER);
    EXPECT_NE(pointerFormat(), 0u);
}

TEST(PointerDrag, DeliversTheNameAndTheBlock) {
    int item = 0;
    const auto value = reinterpret_cast<std::uintptr_t>(&item);
    drag_ref drag(u"vListViewItem", value);

    FORMATETC text = format_of(CF_TEXT);
    STGMEDIUM medium{};
    ASSERT_EQ(drag->GetData(&text, &medium), S_OK);
    EXPECT_EQ(medium.tymed, DWORD(TYMED_HGLOBAL));
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    EXPECT_EQ(global_bytes(medium), std::string("vListViewItem", 14)); // with its zero
    ReleaseStgMedium(&medium);

    FORMATETC pointer = format_of(pointerFormat());
    medium = STGMEDIUM{};
    ASSERT_EQ(drag->GetData(&pointer, &medium), S_OK);
    const std::string block = global_bytes(medium);
    ReleaseStgMedium(&medium);
    ASSERT_EQ(block.size(), sizeof(vPointerBlock));
    vPointerBlock read;
    std::memcpy(&read, block.data(), sizeof read);
    EXPECT_EQ(read.value, static_cast<std::uint64_t>(value));
    EXPECT_EQ(read.process, GetCurrentProcessId());
    EXPECT_EQ(read.serial, drag->serial());
    EXPECT_TRUE(vPointerDrag::isLive(read));

    drag_ref second(u"vListViewItem", value);
    EXPECT_NE(second->serial(), drag->serial());
}

TEST(EnumFormat, FetchingMoreThanThereAreGivesWhatIsLeft) {
    drag_ref drag(u"vListViewItem", 1);
    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(drag->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    ASSERT_NE(formats, nullptr);

    FORMATETC records[5] = {};
    ULONG fetched = 99;
    EXPECT_EQ(formats->Next(5, records, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(records[0].cfFormat, static_cast<CLIPFORMAT>(pointerFormat()));
    EXPECT_EQ(records[1].cfFormat, CF_TEXT);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(records[i].tymed, DWORD(TYMED_HGLOBAL));
        EXPECT_EQ(records[i].dwAspect, DWORD(DVASPECT_CONTENT));
        EXPECT_EQ(records[i].lindex, -1);
        EXPECT_EQ(records[i].ptd, nullptr);
    }
    EXPECT_EQ(formats->Next(1, records, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    // Reset, skip the first, read the second one at a time without a fetched count.
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(1), S_OK);
    FORMATETC one{};
    EXPECT_EQ(formats->Next(1, &one, nullptr), S_OK);
    EXPECT_EQ(one.cfFormat, CF_TEXT);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(5), S_FALSE);
    EXPECT_EQ(formats->Next(1, &one, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    IEnumFORMATETC* copy = formats;
    EXPECT_EQ(formats->Clone(&copy), E_NOTIMPL);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(formats->Next(1, nullptr, &fetched), E_POINTER);

    IUnknown* unknown = nullptr;
    EXPECT_EQ(formats->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    void* other = nullptr;
    EXPECT_EQ(formats->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
    EXPECT_EQ(unknown->Release(), 1u);
    EXPECT_EQ(formats->Release(), 0u);
}

TEST(DropSource, ContinueDragAnswers) {
    struct row {
        const char* what;
        BOOL escape;
        DWORD keys;
        HRESULT answer;
    };
    const row rows[] = {
        {"Escape with the button held", TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {"Escape after release", TRUE, 0, DRAGDROP_S_CANCEL},
        {"left held", FALSE, MK_LBUTTON, S_OK},
        {"right held", FALSE, MK_RBUTTON, S_OK},
        {"middle held", FALSE, MK_MBUTTON, S_OK},
        {"left held with control", FALSE, MK_LBUTTON | MK_CONTROL, S_OK},
        {"all released", FALSE, 0, DRAGDROP_S_DROP},
        {"released, shift and control down", FALSE, MK_SHIFT | MK_CONTROL, DRAGDROP_S_DROP},
        {"released, only the extra buttons", FALSE, MK_XBUTTON1 | MK_XBUTTON2, DRAGDROP_S_DROP},
    };
    vDropSource source;
    for (const row& r : rows)
        EXPECT_EQ(source.QueryContinueDrag(r.escape, r.keys), r.answer) << r.what;
    EXPECT_EQ(source.GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_EQ(source.GiveFeedback(DROPEFFECT_NONE), DRAGDROP_S_USEDEFAULTCURSORS);
}
