// Device-context wrappers.
#include "framework/CDC.h"

#include "framework/GdiObjects.h"

CDC::~CDC() {
    DeleteDC();
}

bool CDC::Attach(HDC dc) {
    if (dc_ != nullptr || dc == nullptr)
        return false;
    dc_ = dc;
    ownership_ = Ownership::borrowed;
    return true;
}

HDC CDC::Detach() {
    HDC dc = dc_;
    dc_ = nullptr;
    ownership_ = Ownership::borrowed;
    return dc;
}

bool CDC::CreateCompatibleDC(const CDC* other) {
    if (dc_ != nullptr)
        return false;
    dc_ = ::CreateCompatibleDC(other != nullptr ? other->dc_ : nullptr);
    ownership_ = Ownership::created;
    return dc_ != nullptr;
}

bool CDC::DeleteDC() {
    if (dc_ == nullptr || ownership_ != Ownership::created)
        return false;
    bool deleted = ::DeleteDC(dc_) != FALSE;
    dc_ = nullptr;
    ownership_ = Ownership::borrowed;
    return deleted;
}

bool CDC::isPrinting() const {
    return dc_ != nullptr && ::GetDeviceCaps(dc_, TECHNOLOGY) == DT_RASPRINTER;
}

POINT CDC::setWindowOrg(int x, int y) {
    POINT previous{};
    ::SetWindowOrgEx(dc_, x, y, &previous);
    return previous;
}

void CDC::fillSolidRect(const RECT& rect, COLORREF colour) {
    COLORREF previous = ::SetBkColor(dc_, colour);
    ::ExtTextOutA(dc_, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc_, previous);
}

void CDC::frameRect(const RECT& rect, COLORREF colour) {
    CBrush brush;
    brush.createSolidBrush(colour);
    frameRect(rect, brush.get());
}

void CDC::draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    fillSolidRect({rect.left, rect.top, rect.left + width - 1, rect.top + 1}, topLeft);
    fillSolidRect({rect.left, rect.top, rect.left + 1, rect.top + height - 1}, topLeft);
    fillSolidRect({rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
    fillSolidRect({rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
}

int CDC::drawText(const std::string& text, RECT* rect, UINT format) {
    return ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), rect, format);
}

int CDC::drawText(const std::wstring& text, RECT* rect, UINT format) {
    return ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), rect, format);
}

SIZE CDC::textExtent(const std::wstring& text) const {
    SIZE size{};
    ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

bool CDC::drawState(POINT at, SIZE size, HICON icon, UINT state, HBRUSH brush) {
    return ::DrawStateA(dc_, brush, nullptr, reinterpret_cast<LPARAM>(icon), 0, at.x, at.y, size.cx,
                        size.cy, DST_ICON | state) != FALSE;
}

bool CDC::drawState(POINT at, SIZE size, HBITMAP bitmap, UINT state, HBRUSH brush) {
    return ::DrawStateA(dc_, brush, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, at.x, at.y,
                        size.cx, size.cy, DST_BITMAP | state) != FALSE;
}

SIZE CDC::textExtent(const std::string& text) const {
    SIZE size{};
    ::GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

bool CDC::bitBlt(int x, int y, int width, int height, const CDC& source, int sourceX, int sourceY,
                 DWORD rop) {
    return ::BitBlt(dc_, x, y, width, height, source.dc_, sourceX, sourceY, rop) != FALSE;
}

CPaintDC::CPaintDC(CWnd* window) : hwnd_(window->GetSafeHwnd()) {
    dc_ = ::BeginPaint(hwnd_, &paint_);
}

CPaintDC::~CPaintDC() {
    if (dc_ != nullptr)
        ::EndPaint(hwnd_, &paint_);
    dc_ = nullptr;
}

CClientDC::CClientDC(CWnd* window) : hwnd_(window != nullptr ? window->GetSafeHwnd() : nullptr) {
    dc_ = ::GetDC(hwnd_);
}

CClientDC::~CClientDC() {
    if (dc_ != nullptr)
        ::ReleaseDC(hwnd_, dc_);
    dc_ = nullptr;
}
