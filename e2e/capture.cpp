#include "e2e/capture.h"

#include <cstdio>
#include <vector>

namespace {

// How long a picture may take to be recognised, as the screen may still be catching up.
constexpr DWORD RecogniseMs = 2000;
// How long a window may take to answer before it counts as busy.
constexpr DWORD ReplyMs = 2000;

// A picture of a screen area, or of an icon drawn on a plain background, as 32-bit pixels.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> data;  // top row first
    DWORD At(int x, int y) const { return data[y * width + x] & 0xFFFFFF; }
};

Pixels Capture(HDC source, int left, int top, int width, int height) {
    Pixels p;
    p.width = width;
    p.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
    p.data.assign(static_cast<DWORD *>(bits), static_cast<DWORD *>(bits) + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return p;
}

Pixels ScreenArea(const RECT &r) {
    HDC screen = GetDC(nullptr);
    Pixels p = Capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return p;
}

bool WindowArea(HWND hwnd, RECT &r) { return GetWindowRect(hwnd, &r) && r.right > r.left && r.bottom > r.top; }

Pixels DrawnIcon(HICON icon, int size, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, size, size};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    Pixels p = Capture(memory, 0, 0, size, size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return p;
}

// How much of an icon's opaque part appears somewhere in a screen area, from 0 to 1.
double IconMatch(const RECT &area, HICON icon, int size) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (!icon || width < size || height < size) return 0;
    Pixels shown = ScreenArea(area);
    Pixels onBlack = DrawnIcon(icon, size, RGB(0, 0, 0));
    Pixels onWhite = DrawnIcon(icon, size, RGB(255, 255, 255));
    double best = 0;
    for (int dy = 0; dy + size <= height; ++dy) {
        for (int dx = 0; dx + size <= width; ++dx) {
            int opaque = 0, same = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    if (onBlack.At(x, y) != onWhite.At(x, y)) continue;
                    ++opaque;
                    same += shown.At(dx + x, dy + y) == onBlack.At(x, y);
                }
            }
            if (opaque && static_cast<double>(same) / opaque > best) best = static_cast<double>(same) / opaque;
        }
    }
    return best;
}

}  // namespace

void WaitDrawn(HWND hwnd) {
    // What is left to paint is painted now, in the program's thread, before this returns.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR ignored;
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ReplyMs, &ignored);
    RECT r;
    if (!WindowArea(hwnd, r)) return;
    Pixels last = ScreenArea(r);
    for (int looks = 0; looks < 100; ++looks) {
        Sleep(10);
        Pixels now = ScreenArea(r);
        if (now.data == last.data) break;
        last = now;
    }
}

void SaveScreen(HWND hwnd, const std::string &path) {
    RECT r;
    if (!WindowArea(hwnd, r)) return;
    Pixels p = ScreenArea(r);
    DWORD stride = ((p.width * 3) + 3) & ~3;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = p.width;
    header.biHeight = p.height;  // the bottom row first, as BMP files have it
    header.biPlanes = 1;
    header.biBitCount = 24;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + stride * p.height;
    FILE *out = fopen(path.c_str(), "wb");
    if (!out) return;
    fwrite(&file, sizeof file, 1, out);
    fwrite(&header, sizeof header, 1, out);
    std::vector<BYTE> row(stride);
    for (int y = p.height - 1; y >= 0; --y) {
        for (int x = 0; x < p.width; ++x)
            for (int byte = 0; byte < 3; ++byte) row[3 * x + byte] = (p.At(x, y) >> (8 * byte)) & 0xFF;  // B G R
        fwrite(row.data(), 1, stride, out);
    }
    fclose(out);
}

std::string MessageBoxIconName(HWND iconControl) {
    RECT r;
    if (!iconControl || !GetWindowRect(iconControl, &r)) return "none";
    struct {
        const char *name;
        LPCSTR id;
    } candidates[] = {
        {"hand", IDI_HAND}, {"question", IDI_QUESTION}, {"exclamation", IDI_EXCLAMATION}, {"asterisk", IDI_ASTERISK}};
    std::string best = "unknown";
    for (DWORD start = GetTickCount(); best == "unknown" && GetTickCount() - start < RecogniseMs; Sleep(20)) {
        double bestMatch = 0.9;
        for (const auto &c : candidates) {
            double match = IconMatch(r, LoadIconA(nullptr, c.id), GetSystemMetrics(SM_CXICON));
            if (match > bestMatch) {
                bestMatch = match;
                best = c.name;
            }
        }
    }
    return best;
}

double CaptionIconMatch(HWND window, const std::string &exe, int iconId) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 0;
    int size = GetSystemMetrics(SM_CXSMICON);
    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0));
    RECT r;
    GetWindowRect(window, &r);
    RECT caption = {r.left, r.top, r.left + 3 * size, r.top + 2 * size};
    double match = IconMatch(caption, icon, size);
    for (DWORD start = GetTickCount(); match <= 0.75 && GetTickCount() - start < RecogniseMs; Sleep(20))
        match = IconMatch(caption, icon, size);
    DestroyIcon(icon);
    FreeLibrary(module);
    return match;
}
