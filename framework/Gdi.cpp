#include "framework/Gdi.h"

#include "framework/WinApp.h"

namespace framework {

CPaintDC::CPaintDC(HWND window) : CDC(nullptr), m_hWnd(window), m_ps() {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                       BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, const char* faceName) {
    Reset(::CreateFontA(height, width, escapement, orientation, weight, italic, underline,
                        strikeOut, charSet, outPrecision, clipPrecision, quality,
                        pitchAndFamily, faceName));
    return GetSafeHandle() != nullptr;
}

bool CBitmap::LoadBitmap(UINT id) {
    Reset(::LoadBitmapW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(id)));
    return GetSafeHandle() != nullptr;
}

}  // namespace framework
