#include "win32_window_port.h"

#include <commctrl.h>
#include <oleacc.h>

#include <array>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <utility>

#include "form_layout.h"
#include "main_window.h"
#include "resource_ids.h"

namespace stakora::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"StakoraWindow";
constexpr UINT kTabMessage = WM_APP + 1;  // the queued Tab of sendTab()
constexpr int kFirstControlId = 100;

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string narrow(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    return utf8;
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Characters (code points) to UTF-16 units, the unit of EM_SETSEL.
int utf16Position(std::wstring_view text, int characters) {
    std::size_t position = 0;
    for (int seen = 0; seen < characters && position < text.size(); ++seen) {
        const bool pair = IS_HIGH_SURROGATE(text[position]) && position + 1 < text.size();
        position += pair ? 2 : 1;
    }
    return static_cast<int>(position);
}

COLORREF toColorref(const Rgb& rgb) {
    return RGB(rgb.r, rgb.g, rgb.b);
}

// The window font's family: "Segoe UI" where the system has it (every Windows), otherwise the
// nearest humanist sans installed, as on Linux. Each candidate is asked for by its own name, so
// no list of every installed family is made.
const std::wstring& windowFamily() {
    static const std::wstring family = [] {
        HDC screen = GetDC(nullptr);
        std::wstring found;
        for (std::string_view candidate :
             {windowLayout().fontFamily, std::string_view("Selawik"), std::string_view("Open Sans"),
              std::string_view("Noto Sans"), std::string_view("Tahoma")}) {
            LOGFONTW wanted{};
            wanted.lfCharSet = DEFAULT_CHARSET;
            const std::wstring name = widen(candidate);
            wcsncpy(wanted.lfFaceName, name.c_str(), LF_FACESIZE - 1);
            bool installed = false;
            EnumFontFamiliesExW(
                screen, &wanted,
                [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM flag) -> int {
                    *reinterpret_cast<bool*>(flag) = true;
                    return 0;  // one answer is enough
                },
                reinterpret_cast<LPARAM>(&installed), 0);
            if (installed) {
                found = name;
                break;
            }
        }
        ReleaseDC(nullptr, screen);
        return found.empty() ? std::wstring(L"MS Shell Dlg 2") : found;
    }();
    return family;
}

double pointsOf(const ControlLayout& control) {
    return control.fontPoints > 0 ? control.fontPoints : windowLayout().fontPoints;
}

DWORD alignStyle(Align align, ControlKind kind) {
    if (kind == ControlKind::TextBox) {
        return align == Align::Center ? ES_CENTER : align == Align::Right ? ES_RIGHT : ES_LEFT;
    }
    return align == Align::Center ? SS_CENTER : align == Align::Right ? SS_RIGHT : SS_LEFT;
}

// Where a control stands in the window: its own place plus its container's.
POINT origin(const ControlLayout& control, int dpi) {
    POINT at{toPixels(control.left, dpi), toPixels(control.top, dpi)};
    if (!control.container.empty()) {
        for (const ControlLayout& other : formLayout()) {
            if (other.id() == control.container) {
                const POINT outer = origin(other, dpi);
                at.x += outer.x;
                at.y += outer.y;
                break;
            }
        }
    }
    return at;
}

}  // namespace

Win32WindowPort::Win32WindowPort(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const WindowLayout& layout = windowLayout();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kWindowClass;
    windowClass.hbrBackground = brush(layout.background);
    RegisterClassExW(&windowClass);  // fails harmlessly when a second window registers again

    // Fixed size: no maximise box, no sizing border. Not WS_CLIPCHILDREN: the window's own
    // background is what shows inside the frames, which draw only their border.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    window_ = CreateWindowExW(0, kWindowClass, widen(layout.caption).c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance_, this);
    if (window_ == nullptr) {
        throw std::runtime_error("the window could not be created");
    }
    dpi_ = static_cast<int>(GetDpiForWindow(window_));
    createControls();
    layOut(false);
    annotateForScreenReaders();
}

Win32WindowPort::~Win32WindowPort() {
    if (IsWindow(window_)) {
        closing_ = false;  // destroyed by its owner, not closed by the user: no quit
        DestroyWindow(window_);
    }
    if (annotations_ != nullptr) {
        annotations_->Release();
    }
    for (auto& [size, font] : fonts_) {
        DeleteObject(font);
    }
    for (auto& [colour, brush] : brushes_) {
        DeleteObject(brush);
    }
    DeleteObject(footer_);
    DestroyIcon(bigIcon_);
    DestroyIcon(smallIcon_);
}

// The controls that take the focus come first, in tab order: the dialog manager's Tab follows
// the order in which the controls were created. The frames come last, under what they hold.
void Win32WindowPort::createControls() {
    std::vector<const ControlLayout*> order;
    for (ControlRef ref : focusOrder()) {
        order.push_back(&layoutOf(ref));
    }
    for (const ControlLayout& control : formLayout()) {
        if (control.kind == ControlKind::Label || control.kind == ControlKind::Picture) {
            order.push_back(&control);
        }
    }
    for (const ControlLayout& control : formLayout()) {
        if (control.kind == ControlKind::Frame) {
            order.push_back(&control);
        }
    }
    int id = kFirstControlId;
    for (const ControlLayout* control : order) {
        const wchar_t* windowClass = WC_STATICW;
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (control->kind) {
            case ControlKind::TextBox:
                windowClass = WC_EDITW;
                style |= WS_TABSTOP | ES_AUTOHSCROLL | alignStyle(control->align, control->kind);
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Button:
                // Owner-drawn: the designed face colour, which themed buttons ignore.
                windowClass = WC_BUTTONW;
                style |= WS_TABSTOP | BS_OWNERDRAW;
                break;
            case ControlKind::Label:
                style |= SS_NOPREFIX | SS_CENTERIMAGE | alignStyle(control->align, control->kind);
                style |= control->border ? WS_BORDER : 0;
                break;
            case ControlKind::Picture:
                style |= SS_BITMAP;
                break;
            case ControlKind::Frame:
                style |= SS_ETCHEDFRAME;  // a border and no caption, exactly at its bounds
                break;
        }
        if (control->kind == ControlKind::TextBox) {
            // A hidden label just before the field in z-order: what screen readers announce as
            // the field's name where annotations are not read.
            const std::optional<ControlRef> ref = control->ref();
            const std::string name = ref->control == Control::txtPremio
                                         ? std::string("PREMIO V.L.P")
                                         : "Puntata " + std::to_string(ref->index);
            CreateWindowExW(0, WC_STATICW, widen(name).c_str(), WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0,
                            window_, nullptr, instance_, nullptr);
        }
        // Made in place, with its font: moving 75 controls afterwards would cost as much again.
        const POINT at = origin(*control, dpi_);
        HWND hwnd =
            CreateWindowExW(exStyle, windowClass, widen(control->text).c_str(), style, at.x, at.y,
                            toPixels(control->width, dpi_), toPixels(control->height, dpi_),
                            window_, reinterpret_cast<HMENU>(INT_PTR{id++}), instance_, nullptr);
        if (hwnd == nullptr) {
            throw std::runtime_error("a control could not be created: " + control->id());
        }
        children_.push_back({control, hwnd});
        byId_[control->id()] = hwnd;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(pointsOf(*control))), FALSE);
        if (control->kind == ControlKind::TextBox) {
            SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);  // no length limit: a paste stays whole
            // The field's place in children_ comes with each of its messages.
            SetWindowSubclass(hwnd, fieldProc, children_.size() - 1,
                              reinterpret_cast<DWORD_PTR>(this));
        }
    }
}

// The column and row of each result cell, for screen readers, the Windows way: an annotation on
// the label's own accessible object, whose name stays its caption, so the value is what is read.
// (The fields' names come from the hidden labels before them.)
void Win32WindowPort::annotateForScreenReaders() {
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&annotations_)))) {
        annotations_ = nullptr;  // no accessibility services here: nothing to annotate
        return;
    }
    static constexpr std::array<const char*, 3> kColumns = {"Spesa", "Vincita", "Utile"};
    for (const Child& child : children_) {
        const std::optional<ControlRef> ref = child.layout->ref();
        if (ref && isLabel(ref->control)) {
            const auto column = static_cast<std::size_t>(ref->control) -
                                static_cast<std::size_t>(Control::lblSpesa);
            const std::wstring description =
                widen(std::string(kColumns.at(column)) + " " + std::to_string(ref->index));
            annotations_->SetHwndPropStr(child.hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                         PROPID_ACC_DESCRIPTION, description.c_str());
        }
    }
}

void Win32WindowPort::layOut(bool moveControls) {
    const WindowLayout& layout = windowLayout();
    RECT frame{0, 0, toPixels(layout.width, dpi_), toPixels(layout.height, dpi_)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)),
                             FALSE, 0, static_cast<UINT>(dpi_));
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    HDWP moves = moveControls ? BeginDeferWindowPos(static_cast<int>(children_.size())) : nullptr;
    for (const Child& child : children_) {
        const ControlLayout& control = *child.layout;
        if (moves != nullptr) {
            const POINT at = origin(control, dpi_);
            moves = DeferWindowPos(moves, child.hwnd, nullptr, at.x, at.y,
                                   toPixels(control.width, dpi_), toPixels(control.height, dpi_),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(pointsOf(control))),
                         FALSE);
        }
        if (control.kind == ControlKind::Picture) {
            // The 2x picture wherever pixels are smaller than at 96 dpi, scaled to the place.
            const int id =
                dpi_ > USER_DEFAULT_SCREEN_DPI ? STAKORA_FOOTER_2X_BITMAP : STAKORA_FOOTER_BITMAP;
            HANDLE picture = LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_BITMAP,
                                        toPixels(control.width, dpi_),
                                        toPixels(control.height, dpi_), LR_CREATEDIBSECTION);
            SendMessageW(child.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
            DeleteObject(std::exchange(footer_, static_cast<HBITMAP>(picture)));
        }
    }
    if (moves != nullptr) {
        EndDeferWindowPos(moves);
    }
    // The icon at the sizes this DPI asks for.
    const auto icon = [this](int metric) {
        const int size = GetSystemMetricsForDpi(metric, static_cast<UINT>(dpi_));
        return static_cast<HICON>(
            LoadImageW(instance_, MAKEINTRESOURCEW(STAKORA_ICON), IMAGE_ICON, size, size, 0));
    };
    HICON big = icon(SM_CXICON);
    HICON small = icon(SM_CXSMICON);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    DestroyIcon(std::exchange(bigIcon_, big));
    DestroyIcon(std::exchange(smallIcon_, small));
    if (moveControls) {
        InvalidateRect(window_, nullptr, TRUE);
    }
}

HFONT Win32WindowPort::font(double points) {
    const int key = static_cast<int>(std::lround(points * 100));
    HFONT& font = fonts_[key];
    if (font == nullptr) {
        LOGFONTW wanted{};
        wanted.lfHeight = -static_cast<LONG>(std::lround(points * dpi_ / 72.0));
        wanted.lfWeight = FW_NORMAL;
        wanted.lfCharSet = DEFAULT_CHARSET;
        wanted.lfQuality = CLEARTYPE_QUALITY;
        wcsncpy(wanted.lfFaceName, windowFamily().c_str(), LF_FACESIZE - 1);
        font = CreateFontIndirectW(&wanted);
    }
    return font;
}

HBRUSH Win32WindowPort::brush(const Rgb& colour) {
    HBRUSH& brush = brushes_[toColorref(colour)];
    if (brush == nullptr) {
        brush = CreateSolidBrush(toColorref(colour));
    }
    return brush;
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

void Win32WindowPort::showCentred() {
    RECT frame;
    GetWindowRect(window_, &frame);
    MONITORINFO monitor{sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    UpdateWindow(window_);
}

int Win32WindowPort::run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        dispatch(msg);
    }
    return static_cast<int>(msg.wParam);
}

void Win32WindowPort::dispatch(MSG& msg) {
    if (!IsDialogMessageW(window_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

template <typename F>
void Win32WindowPort::guarded(F&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        // Nothing may unwind through the system's frames; the user hears of it and goes on.
        MessageBoxW(window_, widen(std::string("Errore inatteso: ") + error.what()).c_str(),
                    widen(kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    }
}

LRESULT CALLBACK Win32WindowPort::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = reinterpret_cast<Win32WindowPort*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self =
            static_cast<Win32WindowPort*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = hwnd;
    }
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
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
                guarded([this] { events_->onElaboraClick(); });
            } else if (ref && events_ != nullptr && ref->control == Control::cmdClear) {
                guarded([this] { events_->onClearClick(); });
            }
            return 0;
        }
        case kTabMessage:
            if (HWND next = GetNextDlgTabItem(window_, GetFocus(), FALSE)) {
                ::SetFocus(next);
                lastFocus_ = next;
            }
            return 0;
        case WM_ACTIVATE:
            // The focus is the window's own: it leaves with the window and comes back with it
            // to the same control, as in a dialog.
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (HWND focus = GetFocus(); focus != nullptr && IsChild(window_, focus)) {
                    lastFocus_ = focus;
                }
            } else if (lastFocus_ != nullptr) {
                reactivating_ = true;
                ::SetFocus(lastFocus_);
                reactivating_ = false;
            }
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM:
            drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            // The controls take the new fonts before the old ones are deleted.
            const std::map<int, HFONT> previous = std::exchange(fonts_, {});
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            layOut(true);
            for (const auto& [size, font] : previous) {
                DeleteObject(font);
            }
            return 0;
        }
        case WM_DESTROY:
            if (annotations_ != nullptr) {
                MSAAPROPID annotated[] = {PROPID_ACC_DESCRIPTION};
                for (const Child& child : children_) {
                    annotations_->ClearHwndProps(child.hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                                 CHILDID_SELF, annotated, 1);
                }
            }
            if (closing_) {
                PostQuitMessage(0);  // the user closed the window: the program ends
            }
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT Win32WindowPort::colour(HDC dc, HWND control) {
    const Child* child = childOf(control);
    if (child == nullptr) {
        return reinterpret_cast<LRESULT>(brush(windowLayout().background));
    }
    const ControlLayout& layout = *child->layout;
    SetTextColor(
        dc, layout.foreground ? toColorref(*layout.foreground) : GetSysColor(COLOR_WINDOWTEXT));
    const Rgb background = layout.background.value_or(
        layout.kind == ControlKind::TextBox ? Rgb{255, 255, 255} : windowLayout().background);
    SetBkColor(dc, toColorref(background));
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
    FillRect(item.hDC, &face, brush(child->layout->background.value_or(Rgb{224, 224, 224})));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(item.hDC, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (pressed) {
        OffsetRect(&face, 1, 1);
    }
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
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

LRESULT CALLBACK Win32WindowPort::fieldProc(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR child, DWORD_PTR self) {
    auto* port = reinterpret_cast<Win32WindowPort*>(self);
    return port->handleField(port->children_.at(child), message, wParam, lParam);
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
            guarded([&] {
                code = ref.control == Control::txtPremio
                           ? events_->onPremioKeyPress(code)
                           : events_->onPuntataKeyPress(ref.index, code);
            });
            // A single-line edit would not insert Enter, but it would beep for it.
            if (code == 0 || code == '\r') {
                return 0;
            }
            return DefSubclassProc(field.hwnd, message, static_cast<WPARAM>(code), lParam);
        }
        case WM_SETFOCUS: {
            const LRESULT result = DefSubclassProc(field.hwnd, message, wParam, lParam);
            lastFocus_ = field.hwnd;
            // Coming back with the window is not entering the field anew.
            if (events_ != nullptr && !reactivating_ && ref.control == Control::txtPuntata) {
                guarded([&] { events_->onPuntataGotFocus(ref.index); });
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

void Win32WindowPort::setFocus(ControlRef target) {
    HWND hwnd = control(target);
    lastFocus_ = hwnd;
    if (GetFocus() == hwnd) {
        return;
    }
    if (IsWindowVisible(window_) && GetActiveWindow() == window_) {
        ::SetFocus(hwnd);  // its WM_SETFOCUS raises GotFocus
    } else if (target.control == Control::txtPuntata && events_ != nullptr) {
        // A window not yet shown, or not active, takes the focus when it is activated; the
        // field is entered all the same.
        events_->onPuntataGotFocus(target.index);
    }
}

void Win32WindowPort::sendTab() {
    // Queued: the focus moves on after the running handler has returned, from whichever
    // control has the focus then.
    PostMessageW(window_, kTabMessage, 0, 0);
}

void Win32WindowPort::messageBox(const std::string& prompt, const std::string& title) {
    MessageBoxW(window_, widen(prompt).c_str(), widen(title).c_str(), MB_OK | MB_ICONERROR);
    // Back to the window, so that the control the handler focuses next takes the keys.
    SetActiveWindow(window_);
}

Program::Program(HINSTANCE instance) : com_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {
    auto port = std::make_unique<Win32WindowPort>(instance);
    window_ = port.get();
    handlers_ = std::make_unique<MainWindow>(std::move(port));
    window_->showCentred();
}

Program::~Program() {
    handlers_.reset();
    if (SUCCEEDED(com_)) {
        CoUninitialize();
    }
}

}  // namespace stakora::win32
