// The window's messages, from the system and from its fields, and the WindowPort operations.
#include "win32_window_port.h"

#include <commctrl.h>
#include <oleacc.h>

#include <exception>
#include <stdexcept>
#include <utility>

#include "form_layout.h"
#include "main_window.h"
#include "win32_accessibility.h"
#include "win32_text.h"

namespace stakora::win32 {

namespace {

constexpr UINT kTabMessage = WM_APP + 1;  // the queued Tab of sendTab()

// Runs a window procedure's work; what it did not expect is reported, and the message then gets
// the system's default handling, so a paint, for one, is still validated.
template <typename Work, typename Fallback>
LRESULT lastResort(HWND owner, Work&& work, Fallback&& fallback) noexcept {
    try {
        return work();
    } catch (...) {
        reportUnexpected(owner, Interrupted::NothingChanged, "a window procedure");
    }
    return fallback();
}

}  // namespace

void reportUnexpected(HWND owner, Interrupted how, const char* where) noexcept {
    logUnexpectedFailure(where);
    static bool showing = false;
    if (showing) {
        return;
    }
    showing = true;
    try {
        MessageBoxW(owner, widen(unexpectedFailureMessage(how)).c_str(), widen(kAppTitle).c_str(),
                    MB_OK | MB_ICONERROR);
    } catch (...) {
        // Not even the text could be made: nothing more can be told.
    }
    showing = false;
}

int Win32WindowPort::run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        dispatch(msg);
    }
    return static_cast<int>(msg.wParam);
}

void Win32WindowPort::dispatch(MSG& msg) {
    if (!IsDialogMessageW(window(), &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK Win32WindowPort::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Win32WindowPort*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self =
            static_cast<Win32WindowPort*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(hwnd);
    }
    const auto byDefault = [=] { return DefWindowProcW(hwnd, message, wParam, lParam); };
    if (self == nullptr) {
        return byDefault();
    }
    return lastResort(
        hwnd, [=] { return self->handle(message, wParam, lParam); }, byDefault);
}

LRESULT Win32WindowPort::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            // A button's click, or Enter from the dialog manager (IDOK), which presses the
            // focused button as a click does; with no default button, Enter elsewhere does
            // nothing.
            HWND from = HIWORD(wParam) == BN_CLICKED && lParam != 0 ? reinterpret_cast<HWND>(lParam)
                                                                    : nullptr;
            if (LOWORD(wParam) == IDOK) {
                from = GetFocus();
            }
            const std::optional<ControlRef> ref = refOf(from);
            if (ref && events_ != nullptr && ref->control == Control::cmdElabora) {
                events_->onElaboraClick();
            } else if (ref && events_ != nullptr && ref->control == Control::cmdClear) {
                events_->onClearClick();
            }
            return 0;
        }
        case kTabMessage:
            if (HWND next = GetNextDlgTabItem(window(), GetFocus(), FALSE)) {
                ::SetFocus(next);
                lastFocus_ = next;
            }
            return 0;
        case WM_ACTIVATE:
            // The focus is the window's own: it leaves with the window and comes back with it
            // to the same control, as in a dialog.
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (HWND focus = GetFocus(); focus != nullptr && IsChild(window(), focus)) {
                    lastFocus_ = focus;
                }
            } else if (lastFocus_ != nullptr) {
                reactivating_ = true;
                ::SetFocus(lastFocus_);
                reactivating_ = false;
            }
            return 0;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window(), &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, brush(colours(nullptr).first));
            return TRUE;
        }
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            // A high-contrast theme turned on or off, or its colours changed: every control
            // is painted again in the colours that now apply.
            highContrast_ = highContrastQuery()();
            RedrawWindow(window(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM:
            drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            // The controls take the new fonts before the old ones are deleted; if that stops
            // part way, the old ones are kept for as long as the window, which may still use
            // them.
            std::map<int, OwnedFont> previous = std::exchange(fonts_, {});
            try {
                const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
                SetWindowPos(window(), nullptr, suggested.left, suggested.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                layOut(true);
            } catch (...) {
                for (auto& [size, font] : previous) {
                    stale_.push_back(std::move(font));
                }
                throw;
            }
            return 0;
        }
        case WM_DESTROY:
            // Only a window the user closes gets here: its owner cuts it off before destroying
            // it. The program ends.
            forgetAnnotations();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            (void)window_.release();  // already gone
            return 0;
        default:
            return DefWindowProcW(window(), message, wParam, lParam);
    }
}

std::pair<COLORREF, COLORREF> Win32WindowPort::colours(const ControlLayout* control) const {
    const ControlKind kind = control != nullptr ? control->kind : ControlKind::Frame;
    // Fields and result cells as the theme's windows; the rest as its dialogs.
    const bool asWindow =
        kind == ControlKind::TextBox || (kind == ControlKind::Label && control->border);
    if (highContrast_) {
        return asWindow ? std::pair{GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)}
                        : std::pair{GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)};
    }
    const Rgb designed = control != nullptr && control->background ? *control->background
                         : kind == ControlKind::TextBox            ? Rgb{255, 255, 255}
                                                                   : windowLayout().background;
    const COLORREF text =
        control != nullptr && control->foreground
            ? toColorref(*control->foreground)
            : GetSysColor(kind == ControlKind::Button ? COLOR_BTNTEXT : COLOR_WINDOWTEXT);
    return {toColorref(designed), text};
}

LRESULT Win32WindowPort::colour(HDC dc, HWND control) {
    const Child* child = childOf(control);
    const auto [background, text] = colours(child != nullptr ? child->layout : nullptr);
    SetTextColor(dc, text);
    SetBkColor(dc, background);
    return reinterpret_cast<LRESULT>(brush(background));
}

// A flat face in the designed colour with a raised edge, sunken while pressed; the focus
// rectangle when it has the keyboard focus.
void Win32WindowPort::drawButton(const DRAWITEMSTRUCT& item) {
    const Child* child = childOf(item.hwndItem);
    if (child == nullptr) {
        return;
    }
    RECT face = item.rcItem;
    const auto [background, text] = colours(child->layout);
    FillRect(item.hDC, &face, brush(background));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(item.hDC, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (pressed) {
        OffsetRect(&face, 1, 1);
    }
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, text);
    HGDIOBJ previous = SelectObject(
        item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    std::wstring caption = windowText(item.hwndItem);
    DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &face,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, previous);
    if ((item.itemState & ODS_FOCUS) != 0) {
        InflateRect(&face, -2, -2);
        DrawFocusRect(item.hDC, &face);
    }
}

LRESULT CALLBACK Win32WindowPort::fieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR child, DWORD_PTR self) noexcept {
    auto* port = reinterpret_cast<Win32WindowPort*>(self);
    return lastResort(
        port->window(),
        [=] { return port->handleField(port->children_.at(child), message, wParam, lParam); },
        // A character whose filter failed is not typed; the text stays as it was.
        [=] { return message == WM_CHAR ? 0 : DefSubclassProc(hwnd, message, wParam, lParam); });
}

LRESULT Win32WindowPort::handleField(const Child& field, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
    const ControlRef ref = *field.layout->ref();
    switch (message) {
        case WM_GETDLGCODE: {
            // Enter goes to the field's KeyPress handler rather than to the dialog manager.
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            LRESULT code = DefSubclassProc(field.hwnd, message, wParam, lParam);
            if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
                code |= DLGC_WANTALLKEYS;
            }
            return code;
        }
        case WM_CHAR: {
            if (events_ == nullptr) {
                break;
            }
            int code = static_cast<int>(wParam);
            code = ref.control == Control::txtPremio ? events_->onPremioKeyPress(code)
                                                     : events_->onPuntataKeyPress(ref.index, code);
            // A single-line edit would not insert Enter, but it would beep for it.
            if (code == 0 || code == '\r') {
                return 0;
            }
            return DefSubclassProc(field.hwnd, message, static_cast<WPARAM>(code), lParam);
        }
        case WM_SETFOCUS: {
            const LRESULT result = DefSubclassProc(field.hwnd, message, wParam, lParam);
            lastFocus_ = field.hwnd;
            if (events_ != nullptr && ref.control == Control::txtPuntata) {
                events_->onPuntataGotFocus(
                    ref.index, reactivating_ ? FocusCause::Returned : FocusCause::Entered);
            }
            return result;
        }
        case WM_LBUTTONDOWN:
            // The click that brings the focus must not place the caret and undo the selection
            // that GotFocus made; later clicks in the field place it as usual.
            if (GetFocus() != field.hwnd) {
                ::SetFocus(field.hwnd);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(field.hwnd, message, wParam, lParam);
}

HWND Win32WindowPort::control(ControlRef ref) const {
    if (!isValid(ref)) {
        throw std::out_of_range("no such control: " + nameOf(ref));
    }
    for (const Child& child : children_) {
        if (child.layout->ref() == ref) {
            return child.hwnd;
        }
    }
    throw std::out_of_range("no such control: " + nameOf(ref));
}

HWND Win32WindowPort::controlById(const std::string& id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

std::string Win32WindowPort::text(ControlRef box) const {
    if (!isTextBox(box.control)) {
        throw std::out_of_range("not a text box: " + nameOf(box));
    }
    return narrow(windowText(control(box)));
}

void Win32WindowPort::setText(ControlRef box, const std::string& text) {
    if (!isTextBox(box.control)) {
        throw std::out_of_range("not a text box: " + nameOf(box));
    }
    SetWindowTextW(control(box), widen(text).c_str());
}

void Win32WindowPort::select(ControlRef box, int start, int length) {
    HWND field = control(box);
    const std::wstring text = windowText(field);
    SendMessageW(field, EM_SETSEL, static_cast<WPARAM>(utf16Position(text, start)),
                 static_cast<LPARAM>(utf16Position(text, start + length)));
}

void Win32WindowPort::setCaption(ControlRef label, const std::string& caption) {
    if (!isLabel(label.control)) {
        throw std::out_of_range("not a result cell: " + nameOf(label));
    }
    SetWindowTextW(control(label), widen(caption).c_str());
}

void Win32WindowPort::refresh(ControlRef label) {
    RedrawWindow(control(label), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool Win32WindowPort::setFocus(ControlRef target) {
    HWND hwnd = control(target);
    lastFocus_ = hwnd;
    if (GetFocus() == hwnd) {
        return true;
    }
    // A window not yet shown, or not active, takes the focus when it is activated.
    if (!IsWindowVisible(window()) || GetActiveWindow() != window()) {
        return false;
    }
    ::SetFocus(hwnd);  // its WM_SETFOCUS raises GotFocus
    return true;
}

void Win32WindowPort::sendTab() {
    // Queued: the focus moves on after the running handler has returned, from whichever
    // control has the focus then.
    PostMessageW(window(), kTabMessage, 0, 0);
}

void Win32WindowPort::announce(const std::string& text) {
    win32::announce(window(), text);
}

void Win32WindowPort::messageBox(const std::string& prompt, const std::string& title) {
    MessageBoxW(window(), widen(prompt).c_str(), widen(title).c_str(), MB_OK | MB_ICONERROR);
    // Back to the window, so that the control the handler focuses next takes the keys.
    SetActiveWindow(window());
}

const Win32WindowPort::Child* Win32WindowPort::childOf(HWND hwnd) const {
    for (const Child& child : children_) {
        if (child.hwnd == hwnd) {
            return &child;
        }
    }
    return nullptr;
}

std::optional<ControlRef> Win32WindowPort::refOf(HWND hwnd) const {
    const Child* child = childOf(hwnd);
    return child != nullptr ? child->layout->ref() : std::nullopt;
}

}  // namespace stakora::win32
