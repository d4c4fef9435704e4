// An owner-drawn push button: a flat face with a one-pixel 3D edge, a sunken edge and a
// shifted caption while pressed, an embossed caption when disabled, a focus rectangle, a
// hover state, and a part in the dialog manager's default-button protocol. It replaces a
// dialog's CButton member one for one: attached with DDX_Control, it paints itself and its
// dialog gets the click notifications of a standard button.
//
// Images, a popup menu, a link, sounds, a cursor, a captured parent background, a tooltip
// and the non-flat style are available through the setters; the program uses none of them.
//
// Threads: each button is used only by the thread that owns its dialog (the interface
// thread, or the load worker for the message box's OK button). Every button, that OK button
// included, reaches GlyphMenu's class-wide state through its popup menu (the system's
// version and theme, the look settings, the registry of submenus, the shared images and the
// registry of menu holders). Buttons on both threads can do so at once: that state is built
// once, on first use, by thread-safe static initialisation; the version and the theme never
// change afterwards, and everything that does change is behind a lock.
#pragma once

#include "controls/ButtonBackground.h"
#include "controls/ButtonImages.h"
#include "controls/ButtonSound.h"
#include "controls/GlyphMenu.h"
#include "framework/CButton.h"
#include "framework/CDC.h"
#include "framework/CToolTipCtrl.h"
#include "framework/GdiObjects.h"

#include <windows.h>

#include <mmsystem.h>

#include <string>

class CButtonFX : public CButton {
  public:
    // The six colours, by state.
    enum ColorSlot {
        BackHover = 0,
        TextHover,
        BackNormal,
        TextNormal,
        BackFocus,
        TextFocus, // kept for whoever sets it; the caption never uses it
        kColorCount
    };
    static constexpr int kStatusOk = 0;
    static constexpr int kStatusInvalidPressedStyle = 6;
    // Pressed styles: the caption (and image) moves by (1, 1), or by (0, 2).
    static constexpr int kPressedStyleShift = 0;
    static constexpr int kPressedStyleDown = 1;

    CButtonFX();

    // Notes check-box mode and the default state of the template button and makes it
    // owner-drawn.
    void PreSubclassWindow() override;
    // Relays the message to the tooltip and makes a double click a second press.
    bool PreTranslateMessage(MSG* msg) override;
    void DrawItem(DRAWITEMSTRUCT* drawItem) override;

    // The painting steps; each returns kStatusOk.
    virtual int PaintBackground(CDC& dc, const RECT& rect);
    virtual int PaintBorder(CDC& dc, const RECT& rect);
    virtual int PaintIcon(CDC& dc, bool hasCaption, const RECT& itemRect, RECT* captionRect,
                          bool pressed, bool disabled);
    virtual int PaintBitmap(CDC& dc, bool hasCaption, const RECT& itemRect, RECT* captionRect,
                            bool pressed, bool disabled);
    virtual int PaintCaption(CDC& dc, const std::string& caption, const RECT& itemRect,
                             RECT* captionRect, bool pressed, bool disabled);

    // Fills the colours from the system colours; with repaint, the control is redrawn.
    void ResetColors(bool repaint);
    void setColor(ColorSlot slot, COLORREF colour, bool repaint = true);
    COLORREF color(ColorSlot slot) const { return colors_[slot]; }
    void setFlat(bool flat, bool repaint = true) { update(flat_, flat, repaint); }
    void setDrawBorder(bool draw, bool repaint = true) { update(drawBorder_, draw, repaint); }
    void setFlatFocus(bool draw, bool repaint = true) { update(flatFocus_, draw, repaint); }
    // Whether hover is tracked while no window of the application is active.
    void setAlwaysTrack(bool always) { alwaysTrack_ = always; }
    // kPressedStyleShift or kPressedStyleDown; anything else returns
    // kStatusInvalidPressedStyle and changes nothing.
    int setPressedStyle(int style, bool repaint = true);
    // 0 image left of the caption, 1 above it, 2 right of it.
    void setImageAlign(BYTE align, bool repaint = true) { update(imageAlign_, align, repaint); }
    void setImageMargin(POINT margin, bool repaint = true) {
        update(imageMargin_, margin, repaint);
    }
    void setShowDisabledBitmap(bool show, bool repaint = true) {
        update(showDisabledBitmap_, show, repaint);
    }
    // Takes the icons over: hover is shown while hovered or pressed, normal otherwise
    // (hover always when there is no normal one).
    void setIcons(UniqueIcon hover, UniqueIcon normal, bool repaint = true);
    // Takes the bitmaps over, each drawn without the pixels of its transparent colour.
    bool setBitmaps(CBitmap hover, COLORREF hoverTransparent, CBitmap normal,
                    COLORREF normalTransparent, bool repaint = true);
    // Takes the cursor over; it is shown over the button.
    void setCursor(UniqueCursor cursor) { cursor_ = std::move(cursor); }
    // A click opens the target (a document or an address) with the shell.
    void setLinkTarget(const std::string& target);
    // A click shows submenu 0 of the menu resource; the chosen command is posted to owner.
    bool setMenu(UINT menuResourceId, HWND owner, bool repaint = true);
    // The message sent (submenu as wParam) just before the popup menu opens.
    void setMenuNotify(HWND window, UINT message, LPARAM parameter);
    // Sounds for entering the button and for a click (PlaySound's name, module and
    // flags, a wave in memory with SND_MEMORY); a null name removes the sound.
    void setHoverSound(const char* name, HMODULE module = nullptr,
                       DWORD flags = SND_ASYNC | SND_NODEFAULT);
    void setClickSound(const char* name, HMODULE module = nullptr,
                       DWORD flags = SND_ASYNC | SND_NODEFAULT);
    // Paints the parent's pixels under the button instead of a colour fill.
    void setTransparentBack(bool transparent, bool repaint = true);
    // Registers the button with its tooltip, showing text.
    void setTooltipText(const std::string& text, bool activate = true);

    // True while the parent handles the click notification of the second click of a double
    // click (which this button, unlike a standard one, reports as a click of its own).
    bool clickIsSecondOfDoubleClick() const { return clickIsSecondOfDoubleClick_; }
    bool isDefault() const { return isDefault_; }
    bool isHovered() const { return mouseOver_; }
    bool isCheckBox() const { return checkBox_; }
    const CToolTipCtrl& toolTip() const { return toolTip_; }
    GlyphMenu& popupMenu() { return popupMenu_; }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    HBRUSH CtlColor(HDC dc, UINT ctlColorMessage) override;

    // Leaves the hover state, repainting.
    void CancelHover();
    void EnsureToolTip();
    // Where an image of the given size goes, and the caption rectangle it leaves.
    RECT LayoutImage(bool hasCaption, const RECT& itemRect, RECT* captionRect, bool pressed,
                     SIZE image) const;

  private:
    struct MenuNotify {
        HWND window = nullptr;
        UINT message = 0;
        LPARAM parameter = 0;
    };

    void onMouseMove(WPARAM keys, LPARAM point);
    void onDisabled();
    LRESULT onSetStyle(WPARAM style, LPARAM redraw);
    LRESULT onMeasureItem(WPARAM wParam, LPARAM lParam);
    LRESULT onMenuChar(WPARAM wParam, LPARAM lParam);
    void onClicked();
    void showPopupMenu();
    void openLinkTarget() const;
    void drawRaisedEdges(CDC& dc, const RECT& rect) const;
    template <typename T> void update(T& field, T value, bool repaint) {
        field = value;
        if (repaint)
            invalidate();
    }

    bool showDisabledBitmap_ = true;
    POINT imageMargin_{3, 3};
    POINT pressedShift_{1, 1};
    bool flat_ = true;
    bool mouseOver_ = false;
    bool transparentBack_ = false;
    bool pressed_ = false;
    UINT focused_ = 0;
    bool isDefault_ = false;
    bool checkBox_ = false;
    BYTE imageAlign_ = 0;
    bool drawBorder_ = true;
    bool flatFocus_ = true;
    COLORREF colors_[kColorCount] = {};
    HWND menuOwner_ = nullptr;
    bool menuShown_ = false;
    GlyphMenu popupMenu_;
    UniqueCursor cursor_;
    CToolTipCtrl toolTip_;
    ButtonBackground background_;
    bool alwaysTrack_ = true;
    // The button went down as the second click of a double click; read at the button's up.
    bool secondClickDown_ = false;
    bool clickIsSecondOfDoubleClick_ = false;
    int checkState_ = 0;
    std::string linkTarget_;
    ButtonImages images_;
    MenuNotify menuNotify_;
    ButtonSound hoverSound_;
    ButtonSound clickSound_;
};
