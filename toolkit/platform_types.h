#pragma once
// The platform names of the toolkit's API. On Windows they are the platform's own (<windows.h>).
// Elsewhere this header defines the few types and constants the API uses, with the platform's
// values, so the views and the toolkit's portable parts compile unchanged over another driver.
// The handle types are opaque pointers there; each driver gives them its own meaning.

#ifdef _WIN32

#include <windows.h>

#else

#include <cstdint>

using UINT = unsigned int;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using LONG = std::int32_t;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = DWORD;

struct RECT {
    LONG left, top, right, bottom;
};
struct POINT {
    LONG x, y;
};
struct POINTL {
    LONG x, y;
};
struct SIZE {
    LONG cx, cy;
};

// Handles: distinct opaque pointer types, as the platform declares them.
struct HWND__;
struct HDC__;
struct HFONT__;
struct HBITMAP__;
struct HMENU__;
struct HRGN__;
struct HICON__;
struct HBRUSH__;
struct HINSTANCE__;
using HWND = HWND__*;
using HDC = HDC__*;
using HFONT = HFONT__*;
using HBITMAP = HBITMAP__*;
using HMENU = HMENU__*;
using HRGN = HRGN__*;
using HICON = HICON__*;
using HBRUSH = HBRUSH__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HGDIOBJ = void*;

#define CALLBACK
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
struct RGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// Messages.
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

// Dialog results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// System colour indexes.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_BTNFACE = 15;

// Mouse state bits.
inline constexpr unsigned MK_LBUTTON = 0x0001;
inline constexpr unsigned MK_RBUTTON = 0x0002;
inline constexpr unsigned MK_SHIFT = 0x0004;
inline constexpr unsigned MK_CONTROL = 0x0008;
inline constexpr unsigned MK_MBUTTON = 0x0010;

// Virtual-key codes.
inline constexpr unsigned VK_BACK = 0x08;
inline constexpr unsigned VK_TAB = 0x09;
inline constexpr unsigned VK_RETURN = 0x0D;
inline constexpr unsigned VK_SHIFT = 0x10;
inline constexpr unsigned VK_CONTROL = 0x11;
inline constexpr unsigned VK_MENU = 0x12;
inline constexpr unsigned VK_ESCAPE = 0x1B;
inline constexpr unsigned VK_SPACE = 0x20;
inline constexpr unsigned VK_PRIOR = 0x21;
inline constexpr unsigned VK_NEXT = 0x22;
inline constexpr unsigned VK_END = 0x23;
inline constexpr unsigned VK_HOME = 0x24;
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;
inline constexpr unsigned VK_INSERT = 0x2D;
inline constexpr unsigned VK_DELETE = 0x2E;
inline constexpr unsigned VK_APPS = 0x5D;
inline constexpr unsigned VK_ADD = 0x6B;
inline constexpr unsigned VK_SUBTRACT = 0x6D;
inline constexpr unsigned VK_F1 = 0x70;
inline constexpr unsigned VK_F2 = 0x71;
inline constexpr unsigned VK_F5 = 0x74;
inline constexpr unsigned VK_F10 = 0x79;

// Text format bits.
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_BOTTOM = 0x0008;
inline constexpr unsigned DT_WORDBREAK = 0x0010;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_NOCLIP = 0x0100;
inline constexpr unsigned DT_CALCRECT = 0x0400;
inline constexpr unsigned DT_NOPREFIX = 0x0800;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// Background modes of text drawing.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Edit control notifications.
inline constexpr unsigned EN_SETFOCUS = 0x0100;
inline constexpr unsigned EN_KILLFOCUS = 0x0200;
inline constexpr unsigned EN_CHANGE = 0x0300;

// Popup menu flags.
inline constexpr unsigned TPM_RETURNCMD = 0x0100;

// Drop effects.
inline constexpr DWORD DROPEFFECT_NONE = 0;
inline constexpr DWORD DROPEFFECT_COPY = 1;
inline constexpr DWORD DROPEFFECT_MOVE = 2;
inline constexpr DWORD DROPEFFECT_LINK = 4;

#endif
