#pragma once
// Device contexts and owners of GDI objects and icons.

#include "framework/WindowsHeaders.h"

namespace framework {

// A device context that somebody else owns: the platform (WM_DRAWITEM, WM_CTLCOLOR*)
// or a CPaintDC. A CDC never releases its context, so wrapping a context lent by the
// platform for the length of a handler is always safe.
class CDC {
public:
    explicit CDC(HDC hdc) : m_hDC(hdc) {}

    HDC GetSafeHdc() const { return m_hDC; }

    COLORREF SetTextColor(COLORREF color) const { return ::SetTextColor(m_hDC, color); }
    BOOL DrawEdge(RECT* rect, UINT edge, UINT flags) const {
        return ::DrawEdge(m_hDC, rect, edge, flags);
    }
    // Outlined with the selected pen and filled with the selected brush.
    BOOL Rectangle(int left, int top, int right, int bottom) const {
        return ::Rectangle(m_hDC, left, top, right, bottom);
    }
    int DrawText(const char* text, RECT* rect, UINT format) const {
        return ::DrawTextA(m_hDC, text, -1, rect, format);
    }
    BOOL DrawIcon(int x, int y, HICON icon) const { return ::DrawIcon(m_hDC, x, y, icon); }

protected:
    HDC m_hDC;
};

// The paint context of one WM_PAINT: BeginPaint on construction, EndPaint on
// destruction, so the update region is validated on every path.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps;
};

// Owns one GDI object and deletes it when replaced or destroyed. The object must not
// be selected into a context at that time; controls that were handed it must be gone
// or must have been handed another one.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : m_hObject(handle) {}
    ~GdiObject() { Reset(nullptr); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle GetSafeHandle() const { return m_hObject; }
    void Reset(Handle handle) {
        if (m_hObject != nullptr) ::DeleteObject(m_hObject);
        m_hObject = handle;
    }

private:
    Handle m_hObject = nullptr;
};

class CFont : public GdiObject<HFONT> {
public:
    // CreateFontA with these arguments; a font made before is released first. False
    // when the platform made no font (the handle is then null).
    bool CreateFont(int height, int width, int escapement, int orientation, int weight,
                    BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                    BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const char* faceName);
};

class CBitmap : public GdiObject<HBITMAP> {
public:
    CBitmap() = default;
    // Takes over a bitmap that somebody handed on, such as the one a static control
    // gives back when it is handed another.
    explicit CBitmap(HBITMAP bitmap) : GdiObject(bitmap) {}
    // The bitmap resource `id` of the program; a bitmap loaded before is released
    // first. False when the resource could not be loaded (the handle is then null).
    bool LoadBitmap(UINT id);
};

// Owns an icon made by LoadImage without LR_SHARED. Icons of LoadIcon are shared by
// the system and must not be given to an owner.
class OwnedIcon {
public:
    OwnedIcon() = default;
    ~OwnedIcon() { Reset(nullptr); }
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;

    HICON Get() const { return m_hIcon; }
    void Reset(HICON icon) {
        if (m_hIcon != nullptr) ::DestroyIcon(m_hIcon);
        m_hIcon = icon;
    }

private:
    HICON m_hIcon = nullptr;
};

}  // namespace framework
