#include "core/istream_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Counts its own destruction, to see the last Release destroy the store.
class watched : public buf {
public:
    explicit watched(int* deaths) : buf(16), deaths_(deaths) {}
    ~watched() override { ++*deaths_; }

private:
    int* deaths_;
};

TEST(IStreamFace, InterfacesAndReferenceCount) {
    int deaths = 0;
    IStream* s = istream_of(new watched(&deaths));
    ASSERT_NE(s, nullptr);
    void* p = nullptr;
    EXPECT_EQ(s->QueryInterface(IID_IUnknown, &p), S_OK);
    EXPECT_EQ(p, s);
    EXPECT_EQ(s->QueryInterface(IID_ISequentialStream, &p), S_OK);
    EXPECT_EQ(s->QueryInterface(IID_IStream, &p), S_OK);
    EXPECT_EQ(s->QueryInterface(IID_IDataObject, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(s->QueryInterface(IID_IStream, nullptr), E_POINTER);
    // One reference from the start and three from the answered queries.
    EXPECT_EQ(s->Release(), 3u);
    EXPECT_EQ(s->Release(), 2u);
    EXPECT_EQ(s->AddRef(), 3u);
    EXPECT_EQ(s->Release(), 2u);
    EXPECT_EQ(s->Release(), 1u);
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(s->Release(), 0u);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(istream_of(nullptr), nullptr);
}

TEST(IStreamFace, ReadWriteSeekStat) {
    buf store(16);
    store.open(u"C:/memory/stream.bin");
    IStream* s = istream_of(&store, false);
    ASSERT_NE(s, nullptr);
    ULONG n = 0;
    EXPECT_EQ(s->Write("abcdef", 6, &n), S_OK);
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(s->Write("x", 0, &n), S_FALSE); // nothing written

    LARGE_INTEGER move;
    ULARGE_INTEGER at;
    move.QuadPart = 2;
    EXPECT_EQ(s->Seek(move, STREAM_SEEK_SET, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 2u);
    move.QuadPart = 1;
    EXPECT_EQ(s->Seek(move, STREAM_SEEK_CUR, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 3u);
    char out[8] = {};
    EXPECT_EQ(s->Read(out, 8, &n), S_OK);
    EXPECT_EQ(std::string(out, n), "def");
    move.QuadPart = -2;
    EXPECT_EQ(s->Seek(move, STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 4u);
    move.QuadPart = -10;
    EXPECT_EQ(s->Seek(move, STREAM_SEEK_CUR, &at), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(s->Seek(move, 7, &at), STG_E_INVALIDFUNCTION);

    STATSTG st{};
    ASSERT_EQ(s->Stat(&st, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(st.type, static_cast<DWORD>(STGTY_STREAM));
    EXPECT_EQ(st.cbSize.QuadPart, 6u);
    ASSERT_NE(st.pwcsName, nullptr);
    EXPECT_EQ(std::wstring(st.pwcsName), L"C:/memory/stream.bin");
    EXPECT_NE(st.mtime.dwHighDateTime, 0u);
    CoTaskMemFree(st.pwcsName);
    ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.pwcsName, nullptr);

    ULARGE_INTEGER size{};
    EXPECT_EQ(s->SetSize(size), E_NOTIMPL);
    EXPECT_EQ(s->Commit(0), E_NOTIMPL);
    IStream* clone = reinterpret_cast<IStream*>(1);
    EXPECT_EQ(s->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);
    EXPECT_EQ(s->Release(), 0u);
    EXPECT_TRUE(store.is_open()); // not owned: still there
}

} // namespace
