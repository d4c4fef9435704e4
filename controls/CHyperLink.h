// A static text control turned into a link: fixed link colour, underline while the pointer
// is over it, hand cursor, tooltip, and on a click its target opened with the system shell
// (or the command registered for ".htm" files). Failures are reported through the message
// shower the program sets (its own message box).
#pragma once

#include "framework/CStatic.h"
#include "framework/CToolTipCtrl.h"
#include "framework/GdiObjects.h"

#include <string>

class CHyperLink : public CStatic {
  public:
    CHyperLink() = default;
    // Stops the hover timer and takes the control's font away before the fonts, cursor and
    // tooltip are released; the window itself goes with its dialog.
    ~CHyperLink() override;

    void PreSubclassWindow() override;
    bool DestroyWindow() override;
    bool PreTranslateMessage(MSG* msg) override;

    // Repaints when the control has a window. The flag only ever rises from a click.
    void setVisited(bool flag);
    // -1: underline while hovering; 1: always; 0: never. Switches the font at once.
    void setUnderlineRule(int rule);
    // Takes ownership of cursor; a null cursor loads the system's hand cursor instead.
    void setHandCursor(HCURSOR cursor);
    // Loads a copy of the system's hand cursor unless one is set; without one the control
    // leaves the cursor alone.
    void loadHandCursor();
    // "Go to " or "E-mail " before the address without its scheme, or the address itself.
    void setTipFromTarget(const std::string& address);

    // Opens address with the shell, falling back to the command registered for ".htm"
    // files. Returns a value above 32 on success, else the shell's (or the fallback
    // command's) error code.
    static INT_PTR openTarget(const std::string& address, int showCommand);
    // Shows "Unable to open hyperlink:", an empty line and the reason for code.
    static void reportOpenError(int code);
    // How every link of the process shows a failure: the program's own message box, set as
    // it starts; until then the system's.
    static void setMessageShower(void (*show)(const char* text));
    // Reads the default value of key\subKey into out. Returns 0, or the registry's error
    // code with out unchanged.
    static LONG readClassesRootValue(HKEY key, const std::string& subKey, std::string& out);
    // The command line the fallback would run for address: the ".htm" class's open
    // command, cut at its "%1" placeholder, a blank and the address. Returns 0, or the
    // registry's error code with command unchanged.
    static LONG fallbackCommand(const std::string& address, std::string& command);

    // Settings, read when the control is attached.
    COLORREF normalColour = 0x005C4634;
    COLORREF visitedColour = 0x005C4634;
    COLORREF hoverColour = 0x005C4634;
    // Empty: the control's text, with "http://" before an address that starts with "www.".
    std::string target;
    bool fitToText = true;
    bool tipPrefixing = true;

    bool isHovering() const { return hovering; }
    bool isVisited() const { return visited; }
    const std::string& toolTipText() const { return tipText; }
    HFONT plainFontHandle() const { return plainFont.get(); }
    HFONT underlinedFontHandle() const { return underlinedFont.get(); }
    HCURSOR handCursorHandle() const { return handCursor.get(); }
    const CToolTipCtrl& toolTip() const { return tip; }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    HBRUSH CtlColor(HDC dc, UINT ctlColorMessage) override;

  private:
    void createFonts();
    void fitControlToText();
    void createTip();
    void onMouseMove();
    void onHoverTimer();
    void onClicked();
    void eraseBackground(HDC dc);

    bool hovering = false;
    bool visited = false;
    int underlineRule = -1;
    std::string tipText;
    CFont underlinedFont;
    CFont plainFont;
    UniqueCursor handCursor;
    CToolTipCtrl tip;
    UINT_PTR hoverTimerId = 100;
};
