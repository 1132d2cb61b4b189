// The window built with the Win32 standard controls from the layout data, and the WindowPort
// operations on them.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gdi_owners.h"
#include "unexpected_failure.h"
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

    HWND window() const { return window_.get(); }
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
    void announce(const std::string& text) override;

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
    void forgetAnnotations();
    // Sizes the window, the footer picture and the icon for the window's current DPI, and with
    // moveControls every control and its font too.
    void layOut(bool moveControls);
    HFONT font(double points);
    HBRUSH brush(COLORREF colour);
    LRESULT colour(HDC dc, HWND control);
    // A control's background and text: the designed ones, or the system's own under a
    // high-contrast theme.
    std::pair<COLORREF, COLORREF> colours(const ControlLayout* control) const;
    void drawButton(const DRAWITEMSTRUCT& item);
    const Child* childOf(HWND hwnd) const;
    std::optional<ControlRef> refOf(HWND hwnd) const;

    HINSTANCE instance_;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    WindowEvents* events_ = nullptr;
    std::vector<Child> children_;
    std::map<std::string, HWND> byId_;
    HWND lastFocus_ = nullptr;  // the control to give the focus back to when the window returns
    bool reactivating_ = false;
    bool highContrast_ = false;       // the system's colours, not the designed ones
    std::map<int, OwnedFont> fonts_;  // by size in hundredths of a point, at the current DPI
    std::vector<OwnedFont> stale_;    // fonts a failed change of DPI left on some controls
    std::map<COLORREF, OwnedBrush> brushes_;
    OwnedBitmap footer_;
    OwnedIcon bigIcon_, smallIcon_;
    struct ReleaseAnnotations {
        void operator()(IAccPropServices* services) const;
    };
    std::unique_ptr<IAccPropServices, ReleaseAnnotations> annotations_;
    // Last, so it goes first: whether the window is closed by its owner or was never finished,
    // it is destroyed while everything it draws with, and the object it calls, still exist.
    // Closed by the user, it is destroyed at once and no longer owned (WM_NCDESTROY).
    OwnedWindow window_;
};

// Called inside a catch block: logs what a window procedure or the start-up did not expect
// (`where`) and tells the user in the program's message box; only one box at a time, so a
// failure that repeats while the box is up (a paint) cannot pile boxes up.
void reportUnexpected(HWND owner, Interrupted how, const char* where) noexcept;

}  // namespace stakora::win32
