// Device contexts: a wrapper that borrows or owns an HDC, and the paint and client DCs.
#pragma once

#include "framework/CWnd.h"

#include <string>

inline int rectWidth(const RECT& rect) {
    return rect.right - rect.left;
}
inline int rectHeight(const RECT& rect) {
    return rect.bottom - rect.top;
}

class CDC {
  public:
    CDC() = default;
    // Releases a DC the object created (memory DCs); a borrowed one is left alone.
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return dc_; }
    // Borrows a DC (for example the one of a DRAWITEMSTRUCT). False when one is held.
    bool Attach(HDC dc);
    HDC Detach();
    // Makes a memory DC compatible with another (null: with the screen). False on failure.
    bool CreateCompatibleDC(const CDC* other);
    bool DeleteDC();
    bool isPrinting() const;

    HGDIOBJ selectObject(HGDIOBJ object) { return ::SelectObject(dc_, object); }
    COLORREF setTextColor(COLORREF colour) { return ::SetTextColor(dc_, colour); }
    COLORREF setBkColor(COLORREF colour) { return ::SetBkColor(dc_, colour); }
    int setBkMode(int mode) { return ::SetBkMode(dc_, mode); }
    POINT setWindowOrg(int x, int y);
    int deviceCaps(int index) const { return ::GetDeviceCaps(dc_, index); }

    void fillRect(const RECT& rect, HBRUSH brush) { ::FillRect(dc_, &rect, brush); }
    void fillSolidRect(const RECT& rect, COLORREF colour);
    void frameRect(const RECT& rect, HBRUSH brush) { ::FrameRect(dc_, &rect, brush); }
    // A one-pixel frame in a solid colour.
    void frameRect(const RECT& rect, COLORREF colour);
    // A one-pixel edge: top and left in one colour, bottom and right in the other.
    void draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
    void drawFocusRect(const RECT& rect) { ::DrawFocusRect(dc_, &rect); }
    int drawText(const std::string& text, RECT* rect, UINT format);
    int drawText(const std::wstring& text, RECT* rect, UINT format);
    SIZE textExtent(const std::string& text) const;
    SIZE textExtent(const std::wstring& text) const;
    bool bitBlt(int x, int y, int width, int height, const CDC& source, int sourceX, int sourceY,
                DWORD rop);
    bool bitBlt(int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                DWORD rop) {
        return ::BitBlt(dc_, x, y, width, height, source, sourceX, sourceY, rop) != FALSE;
    }
    bool patBlt(const RECT& rect, DWORD rop) {
        return ::PatBlt(dc_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        rop) != FALSE;
    }

    // Lines in the selected pen; each moves the current position to its end point.
    void moveTo(int x, int y) { ::MoveToEx(dc_, x, y, nullptr); }
    void lineTo(int x, int y) { ::LineTo(dc_, x, y); }
    // An ellipse in the bounding rectangle, outlined in the pen and filled with the brush.
    void ellipse(const RECT& bounds) {
        ::Ellipse(dc_, bounds.left, bounds.top, bounds.right, bounds.bottom);
    }
    // A 3D edge (EDGE_* or BDR_*) on the sides named by BF_*; with BF_ADJUST the rectangle
    // shrinks to the inside of the edge.
    void drawEdge(RECT* rect, UINT edge, UINT sides) { ::DrawEdge(dc_, rect, edge, sides); }
    // An icon or a bitmap drawn in a state (DSS_NORMAL, DSS_DISABLED, DSS_MONO with the
    // brush) at the point, size pixels large.
    bool drawState(POINT at, SIZE size, HICON icon, UINT state, HBRUSH brush = nullptr);
    bool drawState(POINT at, SIZE size, HBITMAP bitmap, UINT state, HBRUSH brush = nullptr);

  protected:
    enum class Ownership { borrowed, created };
    HDC dc_ = nullptr;
    Ownership ownership_ = Ownership::borrowed;
};

// The DC of a WM_PAINT handler: BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;
    const PAINTSTRUCT& paintStruct() const { return paint_; }

  private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
};

// The client-area DC of a window, released in the destructor.
class CClientDC : public CDC {
  public:
    // A null window gives the DC of the whole screen.
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

  private:
    HWND hwnd_;
};
