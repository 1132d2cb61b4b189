// Building the window from the layout data, and laying it out for the DPI of its monitor.
#include "win32_window_port.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cmath>
#include <stdexcept>
#include <utility>

#include "form_layout.h"
#include "resource_ids.h"
#include "win32_accessibility.h"
#include "win32_text.h"

namespace stakora::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"StakoraWindow";
constexpr int kFirstControlId = 100;

// The window font's family: the first of the layout's families that the system has (Segoe UI
// on every Windows). Each candidate is asked for by its own name, so no list of every installed
// family is made.
const std::wstring& windowFamily() {
    static const std::wstring family = [] {
        HDC screen = GetDC(nullptr);
        std::wstring found;
        for (std::string_view candidate : fontFamilies()) {
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

}  // namespace

Win32WindowPort::Win32WindowPort(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const WindowLayout& layout = windowLayout();
    // No class brush: the class outlives any one window, and its brush would have to as well.
    // The window paints its own background (WM_ERASEBKGND) with a brush it owns.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when a second window registers again

    // Fixed size: no maximise box, no sizing border. Not WS_CLIPCHILDREN: the window's own
    // background is what shows inside the frames, which draw only their border.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    // Owned from its first message on (WM_NCCREATE), so a window that fails to build is
    // destroyed as the constructor unwinds.
    if (CreateWindowExW(0, kWindowClass, widen(layout.caption).c_str(), style, CW_USEDEFAULT,
                        CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance_, this) == nullptr) {
        throw std::runtime_error("the window could not be created");
    }
    dpi_ = static_cast<int>(GetDpiForWindow(window()));
    highContrast_ = highContrastQuery()();
    createControls();
    layOut(false);
    annotateForScreenReaders();
}

Win32WindowPort::~Win32WindowPort() {
    events_ = nullptr;  // the handlers may be going too: the window's last messages are its own
    if (window() != nullptr) {
        forgetAnnotations();
    }
}

void Win32WindowPort::forgetAnnotations() {
    if (annotations_) {
        MSAAPROPID annotated[] = {PROPID_ACC_DESCRIPTION};
        for (const Child& child : children_) {
            annotations_->ClearHwndProps(child.hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                         annotated, 1);
        }
    }
}

void Win32WindowPort::ReleaseAnnotations::operator()(IAccPropServices* services) const {
    services->Release();
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
            CreateWindowExW(0, WC_STATICW, widen(accessibleName(*control->ref())).c_str(),
                            WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, window(), nullptr, instance_,
                            nullptr);
        }
        // Made in place, with its font: moving 75 controls afterwards would cost as much again.
        const PixelPoint at = placeInWindow(*control, dpi_);
        HWND hwnd =
            CreateWindowExW(exStyle, windowClass, widen(control->text).c_str(), style, at.x, at.y,
                            toPixels(control->width, dpi_), toPixels(control->height, dpi_),
                            window(), reinterpret_cast<HMENU>(INT_PTR{id++}), instance_, nullptr);
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
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return;  // no accessibility services here: nothing to annotate
    }
    annotations_.reset(services);
    for (const Child& child : children_) {
        const std::optional<ControlRef> ref = child.layout->ref();
        if (ref && isLabel(ref->control)) {
            const std::wstring description = widen(cellDescription(*ref));
            annotations_->SetHwndPropStr(child.hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                         PROPID_ACC_DESCRIPTION, description.c_str());
        }
    }
}

void Win32WindowPort::layOut(bool moveControls) {
    const WindowLayout& layout = windowLayout();
    RECT frame{0, 0, toPixels(layout.width, dpi_), toPixels(layout.height, dpi_)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window(), GWL_STYLE)),
                             FALSE, 0, static_cast<UINT>(dpi_));
    SetWindowPos(window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    HDWP moves = moveControls ? BeginDeferWindowPos(static_cast<int>(children_.size())) : nullptr;
    for (const Child& child : children_) {
        const ControlLayout& control = *child.layout;
        if (moves != nullptr) {
            const PixelPoint at = placeInWindow(control, dpi_);
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
            footer_.reset(static_cast<HBITMAP>(picture));
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
    OwnedIcon big(icon(SM_CXICON));
    OwnedIcon small(icon(SM_CXSMICON));
    SendMessageW(window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);  // the window no longer shows the previous ones
    smallIcon_ = std::move(small);
    if (moveControls) {
        InvalidateRect(window(), nullptr, TRUE);
    }
}

HFONT Win32WindowPort::font(double points) {
    const int key = static_cast<int>(std::lround(points * 100));
    OwnedFont& font = fonts_[key];
    if (!font) {
        LOGFONTW wanted{};
        wanted.lfHeight = -static_cast<LONG>(std::lround(points * dpi_ / 72.0));
        wanted.lfWeight = FW_NORMAL;
        wanted.lfCharSet = DEFAULT_CHARSET;
        wanted.lfQuality = CLEARTYPE_QUALITY;
        wcsncpy(wanted.lfFaceName, windowFamily().c_str(), LF_FACESIZE - 1);
        font.reset(CreateFontIndirectW(&wanted));
    }
    return font.get();
}

HBRUSH Win32WindowPort::brush(COLORREF colour) {
    OwnedBrush& brush = brushes_[colour];
    if (!brush) {
        brush.reset(CreateSolidBrush(colour));
    }
    return brush.get();
}

void Win32WindowPort::showCentred() {
    RECT frame;
    GetWindowRect(window(), &frame);
    MONITORINFO monitor{sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(window(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window(), nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window(), SW_SHOW);
    SetForegroundWindow(window());
    UpdateWindow(window());
}

}  // namespace stakora::win32
