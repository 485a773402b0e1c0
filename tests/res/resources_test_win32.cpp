// The program's resources (res/orvel.rc, compiled into this test program as into orvel.exe):
// bitmaps load through GDI+ with the sizes and depths the windows rely on, the tab caps carry the
// key colour only around their corners, the icon holds both sizes, the version record says the
// version of orvel_version.h and the manifest brings version 6 of the common controls.

#include <gtest/gtest.h>

#include <windows.h>
// gdiplus.h needs the COM property types declared first.
#include <gdiplus.h>
#include <objidl.h>

#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

#include "orvel_version.h"

namespace {

using namespace Gdiplus;

// GDI+ for the whole test program.
class GdiplusSession : public ::testing::Environment {
public:
    void SetUp() override {
        GdiplusStartupInput input{};
        ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
    }
    void TearDown() override { GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

const auto* const gdiplus_session = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

// A bitmap resource as GDI+ reads it: size, source depth and the pixels as 0xAARRGGBB, top-down.
struct Picture {
    bool loaded = false;
    UINT width = 0, height = 0;
    PixelFormat format = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t rgb(UINT x, UINT y) const { return pixels[y * width + x] & 0x00FFFFFF; }
};

Picture load(int id) {
    Picture p;
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                 &bitmap) != Ok ||
        !bitmap)
        return p;
    DllExports::GdipGetImageWidth(bitmap, &p.width);
    DllExports::GdipGetImageHeight(bitmap, &p.height);
    DllExports::GdipGetImagePixelFormat(bitmap, &p.format);
    GpRect rect{0, 0, static_cast<INT>(p.width), static_cast<INT>(p.height)};
    BitmapData data{};
    if (p.width > 0 && p.height > 0 &&
        DllExports::GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, PixelFormat32bppARGB,
                                       &data) == Ok) {
        for (UINT y = 0; y < p.height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(data.Scan0) + static_cast<INT>(y) * data.Stride);
            p.pixels.insert(p.pixels.end(), row, row + p.width);
        }
        DllExports::GdipBitmapUnlockBits(bitmap, &data);
        p.loaded = true;
    }
    DllExports::GdipDisposeImage(bitmap);
    return p;
}

constexpr std::uint32_t key_red = 0xFF0000;
constexpr std::uint32_t blue = 0x157DCC;
constexpr std::uint32_t white = 0xFFFFFF;

int count_of(const Picture& p, std::uint32_t colour) {
    int n = 0;
    for (UINT y = 0; y < p.height; ++y)
        for (UINT x = 0; x < p.width; ++x)
            n += p.rgb(x, y) == colour;
    return n;
}

int red(std::uint32_t c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
int blue_of(std::uint32_t c) {
    return static_cast<int>(c & 0xFF);
}

TEST(Resources, PortIconsAre17By24At8BitsInBlueOnWhite) {
    for (int id : {112, 124}) {
        SCOPED_TRACE(id);
        const Picture p = load(id);
        ASSERT_TRUE(p.loaded);
        EXPECT_EQ(p.width, 17u);
        EXPECT_EQ(p.height, 24u);
        EXPECT_EQ(p.format, PixelFormat8bppIndexed);
        // A drawing, not a blank: solid blue strokes on a white ground, white in the corners.
        EXPECT_GT(count_of(p, blue), 25);
        EXPECT_GT(count_of(p, white), 17 * 24 / 2);
        EXPECT_EQ(p.rgb(0, 0), white);
        EXPECT_EQ(p.rgb(16, 23), white);
    }
}

struct TabImage {
    int id;
    bool cap;     // left or right cap: rounded corners keyed in red
    bool left;    // which side the corners are on
    bool checked; // blue face for white text, else a light face for blue text
};

const TabImage tab_images[] = {
    {116, true, true, false}, {118, false, false, false}, {119, true, false, false},
    {125, true, true, true},  {121, false, false, true},  {122, true, false, true},
};

TEST(Resources, TabImagesAre20PixelsHighWithTheKeyOnlyAroundTheCapsCorners) {
    const Picture normal_left = load(116), normal_middle = load(118), normal_right = load(119);
    for (const TabImage& t : tab_images) {
        SCOPED_TRACE(t.id);
        const Picture p = load(t.id);
        ASSERT_TRUE(p.loaded);
        EXPECT_EQ(p.height, 20u);
        // The normal images' sizes are used for both states.
        const Picture& twin = !t.cap ? normal_middle : t.left ? normal_left : normal_right;
        EXPECT_EQ(p.width, twin.width);
        ASSERT_GT(p.width, 0u);
        if (!t.cap) {
            EXPECT_EQ(count_of(p, key_red), 0);
        } else {
            // The outer top corner shows the surroundings; nothing in the middle rows does, and
            // the inner edge (joining the middle images) is never keyed.
            const UINT outer = t.left ? 0 : p.width - 1, inner = t.left ? p.width - 1 : 0;
            EXPECT_EQ(p.rgb(outer, 0), key_red);
            for (UINT y = 6; y < p.height - 3; ++y)
                EXPECT_NE(p.rgb(outer, y), key_red) << "row " << y;
            for (UINT y = 0; y < p.height; ++y)
                EXPECT_NE(p.rgb(inner, y), key_red) << "row " << y;
        }
        // The face behind the text, in the middle of the image.
        const std::uint32_t face = p.rgb(p.width / 2, p.height / 2);
        if (t.checked) {
            EXPECT_GT(blue_of(face), red(face) + 100) << std::hex << face;
        } else {
            EXPECT_GT(red(face), 0xD0) << std::hex << face;
            EXPECT_GT(blue_of(face), 0xD0) << std::hex << face;
        }
    }
}

// The sizes an icon group holds, from its directory.
std::vector<int> icon_sizes(int id) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bits;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    std::vector<int> sizes;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    if (!found)
        return sizes;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const DWORD size = SizeofResource(module, found);
    if (!data || size < 6)
        return sizes;
    const WORD count = *reinterpret_cast<const WORD*>(data + 4);
    if (size < 6 + count * sizeof(GroupEntry))
        return sizes;
    const auto* entries = reinterpret_cast<const GroupEntry*>(data + 6);
    for (WORD i = 0; i < count; ++i)
        sizes.push_back(entries[i].width == 0 ? 256 : entries[i].width);
    return sizes;
}

TEST(Resources, ProgramIconHolds32And16PixelImages) {
    EXPECT_EQ(icon_sizes(101), (std::vector<int>{32, 16}));
    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101),
                                                   IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectW(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        EXPECT_EQ(bm.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

std::wstring version_text(const std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value)
        return L"(missing)";
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(Resources, VersionRecordSaysTheVersion) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(self, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    // "1.07" is the numbers 1, 7, 0, 0.
    const std::string version = ORVEL_VERSION;
    const DWORD major = std::stoul(version.substr(0, version.find('.')));
    const DWORD minor = std::stoul(version.substr(version.find('.') + 1));
    EXPECT_EQ(fixed->dwFileVersionMS, major << 16 | minor);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, major << 16 | minor);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(version_text(block, L"ProductName"), L"Orvel");
    EXPECT_EQ(version_text(block, L"ProductVersion"), L"" ORVEL_VERSION);
    EXPECT_EQ(version_text(block, L"FileVersion"), L"" ORVEL_VERSION);
    EXPECT_EQ(version_text(block, L"OriginalFilename"), L"orvel.exe");
}

TEST(Resources, ManifestBringsCommonControls6) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const std::string manifest(text, SizeofResource(module, found));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);

    // The process was started with the manifest, so the common controls it loads are those of the
    // side-by-side assembly of version 6, not the system folder's older ones.
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(controls, path, MAX_PATH), 0u);
    std::wstring lowered(path);
    for (wchar_t& c : lowered)
        c = static_cast<wchar_t>(towlower(c));
    EXPECT_NE(lowered.find(L"microsoft.windows.common-controls_"), std::wstring::npos) << lowered;
    EXPECT_NE(lowered.find(L"_6.0."), std::wstring::npos) << lowered;
    FreeLibrary(controls);
}

} // namespace
