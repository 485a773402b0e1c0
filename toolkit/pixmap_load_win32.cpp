// vPixmap: images from resources, packed DIBs, bitmaps and windows.

#include <windows.h>
// gdiplus.h needs the COM property types declared first.
#include <gdiplus.h>
#include <objidl.h>

#include "toolkit/pixmap.h"

namespace vwin {

namespace {

// Copies a GDI+ bitmap (locked as 32-bit ARGB) into the pixmap, upright.
template <class Adopt> bool adopt_gdiplus(Gdiplus::GpBitmap* bitmap, Adopt adopt) {
    using namespace Gdiplus;
    UINT w = 0, h = 0;
    if (DllExports::GdipGetImageWidth(bitmap, &w) != Ok ||
        DllExports::GdipGetImageHeight(bitmap, &h) != Ok || w == 0 || h == 0)
        return false;
    GpRect rect{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
    BitmapData data{};
    if (DllExports::GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, PixelFormat32bppARGB,
                                       &data) != Ok)
        return false;
    // GDI+ hands the rows top-down; a negative stride means they are stored bottom-up.
    const bool ok = adopt(data.Scan0, static_cast<int>(w), static_cast<int>(h), data.Stride);
    DllExports::GdipBitmapUnlockBits(bitmap, &data);
    return ok;
}

using print_window_fn = BOOL(WINAPI*)(HWND, HDC, UINT);

print_window_fn print_window() {
    static print_window_fn fn = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        if (!user32)
            user32 = LoadLibraryW(L"user32.dll");
        if (!user32)
            return print_window_fn(nullptr);
        // Through void* so that the cast between function types is not flagged.
        void* address = reinterpret_cast<void*>(GetProcAddress(user32, "PrintWindow"));
        return reinterpret_cast<print_window_fn>(address);
    }();
    return fn;
}

} // namespace

bool vPixmap::fromPackedDib(const BITMAPINFO* header, const void* bits) {
    release();
    if (!header || !bits)
        return false;
    if (gdiplusStarted()) {
        Gdiplus::GpBitmap* bitmap = nullptr;
        if (Gdiplus::DllExports::GdipCreateBitmapFromGdiDib(header, const_cast<void*>(bits),
                                                            &bitmap) == Gdiplus::Ok &&
            bitmap) {
            const bool ok = adopt_gdiplus(bitmap, [this](void* rows, int w, int h, int stride) {
                return adoptRows(rows, w, h, stride, true);
            });
            Gdiplus::DllExports::GdipDisposeImage(bitmap);
            return ok;
        }
    }
    // Without GDI+: let GDI convert it.
    HDC screen = GetDC(nullptr);
    if (!screen)
        return false;
    HBITMAP bitmap =
        CreateDIBitmap(screen, &header->bmiHeader, CBM_INIT, bits, header, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (!bitmap)
        return false;
    const bool ok = fromBitmap(bitmap);
    DeleteObject(bitmap);
    return ok;
}

bool vPixmap::fromBitmap(HBITMAP bitmap) {
    if (!bitmap)
        return false;
    BITMAP bm{};
    if (GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm || bm.bmWidth <= 0 || bm.bmHeight == 0) {
        // Size unknown: copy it into the present image by a plain block transfer.
        if (!valid())
            return false;
        HDC temp = CreateCompatibleDC(dc_);
        if (!temp)
            return false;
        HGDIOBJ old = SelectObject(temp, bitmap);
        BitBlt(dc_, 0, 0, pixWidth_, pixHeight_, temp, 0, 0, SRCCOPY);
        SelectObject(temp, old);
        DeleteDC(temp);
        return true;
    }
    const int w = bm.bmWidth;
    const int h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    if (!create(w, h, 32))
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h; // bottom-up, like this pixmap
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    const int lines = screen ? GetDIBits(screen, bitmap, 0, h, pixels_, &info, DIB_RGB_COLORS) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    flags_ = 0;
    return lines == h;
}

HMODULE programResources() {
    return GetModuleHandleW(nullptr);
}

bool vPixmap::loadResource(HMODULE module, int id, int size) {
    release();
    if (!module && id >= 0 && id < 32000)
        module = GetModuleHandleW(nullptr);
    const wchar_t* name = MAKEINTRESOURCEW(id);

    // 1. GDI+ from the resource.
    if (gdiplusStarted() && module) {
        Gdiplus::GpBitmap* bitmap = nullptr;
        if (Gdiplus::DllExports::GdipCreateBitmapFromResource(module, name, &bitmap) ==
                Gdiplus::Ok &&
            bitmap) {
            const bool ok = adopt_gdiplus(bitmap, [this](void* rows, int w, int h, int stride) {
                return adoptRows(rows, w, h, stride, true);
            });
            Gdiplus::DllExports::GdipDisposeImage(bitmap);
            if (ok)
                return true;
        }
    }

    // 2. An icon: opaque where its mask is 0, transparent elsewhere.
    const UINT shared = module ? 0 : LR_SHARED;
    HICON icon = static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size,
                                               shared | (size == 0 ? LR_DEFAULTSIZE : 0)));
    if (icon) {
        int w = size, h = size;
        if (size <= 0) {
            w = GetSystemMetrics(SM_CXICON);
            h = GetSystemMetrics(SM_CYICON);
        }
        vPixmap mask;
        bool ok = create(w, h, 32) && mask.create(w, h, 32);
        if (ok) {
            fill(0);
            mask.fill(0);
            DrawIconEx(mask.dc(), 0, 0, icon, w, h, 0, nullptr, DI_MASK);
            DrawIconEx(dc_, 0, 0, icon, w, h, 0, nullptr, DI_IMAGE);
            GdiFlush();
            const std::size_t n = static_cast<std::size_t>(w) * h;
            for (std::size_t i = 0; i < n; ++i)
                pixels_[i] = (mask.pixels()[i] & 0x00FFFFFF) == 0 ? (pixels_[i] | 0xFF000000u) : 0;
            flags_ = 0;
        }
        if (!shared)
            DestroyIcon(icon);
        if (ok)
            return true;
        release();
    }

    // 3. A bitmap resource as a DIB section.
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | shared));
    if (bitmap) {
        const bool ok = fromBitmap(bitmap);
        if (!shared)
            DeleteObject(bitmap);
        if (ok)
            return true;
        release();
    }
    return false;
}

bool vPixmap::grabWindow(HWND window, bool usePrint, int width, int height, int x, int y,
                         double opacity, int border, int margin) {
    if (!window || !IsWindow(window))
        return false;
    RECT client{};
    GetClientRect(window, &client);
    const int cw = client.right - client.left;
    const int ch = client.bottom - client.top;
    if (width <= 0)
        width = cw;
    if (height <= 0)
        height = ch;
    if (margin < 0)
        margin = 0;
    if (width <= 0 || height <= 0 || !create(width + 2 * margin, height + 2 * margin, 32))
        return false;
    fill(0);
    bool grabbed = false;
    if (usePrint) {
        if (print_window_fn fn = print_window()) {
            // The whole client area into a scratch image, then the asked part of it.
            vPixmap scratch;
            if (cw > 0 && ch > 0 && scratch.create(cw, ch, 32)) {
                scratch.fill(0);
                if (fn(window, scratch.dc(), PW_CLIENTONLY)) {
                    GdiFlush();
                    BitBlt(dc_, margin, margin, width, height, scratch.dc(), x + border, y + border,
                           SRCCOPY);
                    grabbed = true;
                }
            }
        }
    }
    if (!grabbed) {
        HDC source = GetDC(window);
        if (source) {
            grabbed = BitBlt(dc_, margin, margin, width, height, source, x + border, y + border,
                             SRCCOPY) != FALSE;
            ReleaseDC(window, source);
        }
    }
    GdiFlush();
    if (opacity >= 0) {
        const double o = opacity > 1 ? 1 : opacity;
        setAlpha(static_cast<std::uint8_t>(o * 255));
    }
    flags_ = 0;
    return grabbed;
}

} // namespace vwin
