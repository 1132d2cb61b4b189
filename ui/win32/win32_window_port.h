// The window built with the Win32 standard controls from the layout data, and the WindowPort
// operations on them.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gdi_owners.h"
#include "window_port.h"

struct IAccPropServices;

namespace stakora {
struct ControlLayout;
struct Rgb;
}  // namespace stakora

namespace stakora::win32 {

class Win32WindowPort final : public WindowPort {
  public:
    // Creates the window, hidden; showCentred() shows it.
    explicit Win32WindowPort(HINSTANCE instance);
    ~Win32WindowPort() override;

    Win32WindowPort(const Win32WindowPort&) = delete;
    Win32WindowPort& operator=(const Win32WindowPort&) = delete;

    // Shows the window centred on the monitor it opens on, and activates it.
    void showCentred();
    // Runs the message loop until the window is closed; returns the program's exit code.
    int run();
    // One message through the keyboard navigation between the controls, then to its window.
    void dispatch(MSG& msg);

    HWND window() const { return window_; }
    // The window of a control the handlers use, and of any control of the layout by its id
    // ("Frame4", "Label1(3)", "txtPuntata(7)").
    HWND control(ControlRef ref) const;
    HWND controlById(const std::string& id) const;
    int dpi() const { return dpi_; }

    void listen(WindowEvents& events) override { events_ = &events; }
    std::string text(ControlRef box) const override;
    void setText(ControlRef box, const std::string& text) override;
    void select(ControlRef box, int start, int length) override;
    void setCaption(ControlRef label, const std::string& caption) override;
    void refresh(ControlRef label) override;
    bool setFocus(ControlRef control) override;
    void sendTab() override;
    void messageBox(const std::string& prompt, const std::string& title) override;

  private:
    struct Child {
        const ControlLayout* layout;
        HWND hwnd;
    };

    // The window's and the fields' procedures. Nothing unwinds through the system's frames:
    // what a message's handling did not expect is reported, and the message gets the system's
    // default handling.
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    static LRESULT CALLBACK fieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self) noexcept;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleField(const Child& field, UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void annotateForScreenReaders();
    // Sizes the window, the footer picture and the icon for the window's current DPI, and with
    // moveControls every control and its font too.
    void layOut(bool moveControls);
    HFONT font(double points);
    HBRUSH brush(const Rgb& colour);
    LRESULT colour(HDC dc, HWND control);
    void drawButton(const DRAWITEMSTRUCT& item);
    const Child* childOf(HWND hwnd) const;
    std::optional<ControlRef> refOf(HWND hwnd) const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    WindowEvents* events_ = nullptr;
    std::vector<Child> children_;
    std::map<std::string, HWND> byId_;
    HWND lastFocus_ = nullptr;  // the control to give the focus back to when the window returns
    bool reactivating_ = false;
    bool closing_ = true;  // destroying the window ends the message loop
    // Declared before nothing that draws with them outlives them: the window is destroyed in
    // the destructor's body, before these go.
    std::map<int, OwnedFont> fonts_;  // by size in hundredths of a point, at the current DPI
    std::map<COLORREF, OwnedBrush> brushes_;
    OwnedBitmap footer_;
    OwnedIcon bigIcon_, smallIcon_;
    IAccPropServices* annotations_ = nullptr;
};

// Shows what a window procedure did not expect, in the program's message box; only one at a
// time, so a failure that repeats while the box is up (a paint) cannot pile boxes up.
void reportUnexpected(HWND owner, const char* detail) noexcept;

}  // namespace stakora::win32
