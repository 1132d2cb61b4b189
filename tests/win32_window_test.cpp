// The real Win32 window, in process under Wine: built as the layout says at the screen's DPI, and
// driven by keyboard and mouse messages through the dialog manager, as the program's own message
// loop dispatches them. What the handlers decide is proven against the in-memory port; these
// prove what only this adapter can get wrong.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "form_layout.h"
#include "unexpected_failure.h"
#include "win32_accessibility.h"
#include "win32_program.h"
#include "win32_text.h"
#include "win32_window_port.h"

namespace stakora::win32 {
namespace {

// Reads and dismisses every message box as soon as it is activated, so no test can hang on one.
class MessageBoxCatcher {
  public:
    struct Box {
        std::wstring title, text;
        int buttons = 0;
    };

    MessageBoxCatcher() {
        instance_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxCatcher() { UnhookWindowsHookEx(hook_); }

    std::vector<Box> take() { return std::exchange(boxes_, {}); }

  private:
    static LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam) {
        HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t windowClass[16] = {};
        GetClassNameW(box, windowClass, 16);
        if (code == HCBT_ACTIVATE && std::wstring(windowClass) == L"#32770") {
            Box seen{windowText(box), windowText(GetDlgItem(box, 0xFFFF)), 0};
            for (HWND button = FindWindowExW(box, nullptr, L"Button", nullptr); button != nullptr;
                 button = FindWindowExW(box, button, L"Button", nullptr)) {
                // Not shown yet as the box activates: counted by style.
                seen.buttons += (GetWindowLongPtrW(button, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0;
            }
            instance_->boxes_.push_back(seen);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline MessageBoxCatcher* instance_ = nullptr;
    HHOOK hook_;
    std::vector<Box> boxes_;
};

class Win32WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { pump(); }
    void TearDown() override { EXPECT_TRUE(catcher_.take().empty()) << "an unexpected box"; }

    Win32WindowPort& port() { return program_.window(); }
    HWND control(ControlRef ref) { return port().control(ref); }
    std::wstring text(ControlRef ref) { return windowText(control(ref)); }

    void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            port().dispatch(msg);
        }
    }
    // A key as the system queues it to the focused control: down and up, through the loop.
    void key(WPARAM virtualKey) {
        PostMessageW(GetFocus(), WM_KEYDOWN, virtualKey, 1);
        PostMessageW(GetFocus(), WM_KEYUP, virtualKey, 0xC0000001);
        pump();
    }
    void type(std::wstring_view characters) {
        for (wchar_t character : characters) {
            PostMessageW(GetFocus(), WM_CHAR, character, 1);
            pump();
        }
    }
    void click(HWND target) {
        PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        PostMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        pump();
    }
    std::pair<DWORD, DWORD> selection(ControlRef box) {
        DWORD start = 0, end = 0;
        SendMessageW(control(box), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

    MessageBoxCatcher catcher_;
    Program program_{GetModuleHandleW(nullptr)};
};

// Handlers that fail as nothing should: what the window procedures must still survive.
class FailingHandlers final : public WindowEvents {
  public:
    void onElaboraClick() override { throw std::runtime_error("a click that fails"); }
    void onClearClick() override {}
    int onPremioKeyPress(int code) override { return code; }
    void onPuntataGotFocus(int, FocusCause) override {}
    int onPuntataKeyPress(int, int) override { throw std::bad_alloc(); }
};

TEST_F(Win32WindowTest, AFailureInAWindowProcedureIsToldAndTheWindowGoesOn) {
    type(L"4");
    static FailingHandlers failing;
    port().listen(failing);
    SendMessageW(control(cmdElabora()), BM_CLICK, 0, 0);
    SetFocus(control(txtPuntata(1)));
    type(L"5");
    const std::vector<MessageBoxCatcher::Box> boxes = catcher_.take();
    ASSERT_EQ(boxes.size(), 2U);
    EXPECT_EQ(boxes[0].title, L"Stakora");
    for (const MessageBoxCatcher::Box& box : boxes) {
        EXPECT_EQ(box.text, widen(unexpectedFailureMessage(Interrupted::NothingChanged)));
    }
    EXPECT_EQ(text(txtPuntata(1)), L"4");
    EXPECT_TRUE(IsWindowVisible(port().window()));
}

// A window whose controls cannot all be made is gone before the objects it used, and before
// the box that says so pumps messages: none reaches the object that was never finished.
TEST(Win32WindowBuild, AWindowThatFailsToBuildIsDestroyedAndTheUserTold) {
    static int controlsMade = 0;
    controlsMade = 0;
    HHOOK refuse = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            const auto* made = code == HCBT_CREATEWND
                                   ? reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs
                                   : nullptr;
            if (made != nullptr && (made->style & WS_CHILD) != 0 && ++controlsMade == 40) {
                return 1;  // the fortieth control is refused
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    MessageBoxCatcher catcher;
    EXPECT_EQ(runProgram(GetModuleHandleW(nullptr)), 1);
    UnhookWindowsHookEx(refuse);
    EXPECT_EQ(FindWindowW(L"StakoraWindow", nullptr), nullptr);
    const std::vector<MessageBoxCatcher::Box> boxes = catcher.take();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, widen(unexpectedFailureMessage(Interrupted::NotStarted)));
}

// Fonts, brushes, bitmaps and icons all go with the window: made and closed twice, every object
// it drew with is deleted.
TEST(Win32WindowObjects, MakingAndClosingTheWindowGivesBackItsGdiAndUserObjects) {
    for (int round = 0; round < 2; ++round) {
        std::vector<HGDIOBJ> drawnWith;
        std::vector<HICON> icons;
        {
            Program program(GetModuleHandleW(nullptr));
            HWND window = program.window().window();
            // The class brush, if any, must still be alive for every window after the first.
            const auto classBrush =
                reinterpret_cast<HGDIOBJ>(GetClassLongPtrW(window, GCLP_HBRBACKGROUND));
            EXPECT_TRUE(classBrush == nullptr || GetObjectType(classBrush) == OBJ_BRUSH);
            HDC dc = GetDC(window);
            for (const ControlLayout& control : formLayout()) {
                HWND hwnd = program.window().controlById(control.id());
                drawnWith.push_back(
                    reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
                const UINT colour =
                    control.kind == ControlKind::TextBox ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
                drawnWith.push_back(reinterpret_cast<HGDIOBJ>(SendMessageW(
                    window, colour, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd))));
                if (control.kind == ControlKind::Picture) {
                    drawnWith.push_back(reinterpret_cast<HGDIOBJ>(
                        SendMessageW(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0)));
                }
            }
            ReleaseDC(window, dc);
            for (WPARAM size : {ICON_BIG, ICON_SMALL}) {
                icons.push_back(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, size, 0)));
            }
        }
        drawnWith.erase(std::remove(drawnWith.begin(), drawnWith.end(), nullptr), drawnWith.end());
        ASSERT_GT(drawnWith.size(), 100U);
        for (HGDIOBJ object : drawnWith) {
            EXPECT_EQ(GetObjectType(object), 0U) << "still alive: " << object;
        }
        for (HICON icon : icons) {
            ICONINFO info{};
            EXPECT_FALSE(GetIconInfo(icon, &info)) << "icon still alive";
        }
    }
}

// Run at 96 dpi and, with STAKORA_WINE_DPI=192, at twice that: the same window, twice the size.
TEST_F(Win32WindowTest, LaysOutEveryControlAtTheScreensDpi) {
    const char* wanted = std::getenv("STAKORA_WINE_DPI");
    const int dpi = wanted != nullptr ? std::atoi(wanted) : USER_DEFAULT_SCREEN_DPI;
    ASSERT_EQ(port().dpi(), dpi);
    RECT client;
    GetClientRect(port().window(), &client);
    EXPECT_EQ(client.right, toPixels(windowLayout().width, dpi));
    EXPECT_EQ(client.bottom, toPixels(windowLayout().height, dpi));
    EXPECT_EQ(windowText(port().window()), L"  STAKORA DI GIOCO");
    EXPECT_EQ(GetWindowLongPtrW(port().window(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

    for (const ControlLayout& control : formLayout()) {
        SCOPED_TRACE(control.id());
        HWND hwnd = port().controlById(control.id());
        ASSERT_NE(hwnd, nullptr);
        RECT place;
        GetWindowRect(hwnd, &place);
        MapWindowPoints(nullptr, port().window(), reinterpret_cast<POINT*>(&place), 2);
        int left = toPixels(control.left, dpi), top = toPixels(control.top, dpi);
        if (!control.container.empty()) {
            RECT outer;
            GetWindowRect(port().controlById(std::string(control.container)), &outer);
            MapWindowPoints(nullptr, port().window(), reinterpret_cast<POINT*>(&outer), 2);
            left += outer.left;
            top += outer.top;
        }
        EXPECT_EQ(place.left, left);
        EXPECT_EQ(place.top, top);
        EXPECT_EQ(place.right - place.left, toPixels(control.width, dpi));
        EXPECT_EQ(place.bottom - place.top, toPixels(control.height, dpi));
        if (control.kind != ControlKind::Picture && control.kind != ControlKind::Frame) {
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(font),
                       &font);
            const double points =
                control.fontPoints > 0 ? control.fontPoints : windowLayout().fontPoints;
            EXPECT_EQ(font.lfHeight, -static_cast<LONG>(points * dpi / 72.0 + 0.5));
        }
        if (control.kind == ControlKind::Label || control.kind == ControlKind::Button) {
            EXPECT_EQ(windowText(hwnd), std::wstring(control.text.begin(), control.text.end()));
        }
    }
    EXPECT_EQ(text(txtPremio()), L"11,67");
}

// Moved to a monitor at twice the scale: every control twice the size, fonts too. (The frame
// of the window is the system's; Wine keeps it at the old scale here.)
TEST_F(Win32WindowTest, FollowsTheMonitorWhenItsScaleChanges) {
    const int dpi = port().dpi() * 2;
    RECT suggested;
    GetWindowRect(port().window(), &suggested);
    SendMessageW(port().window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT stake;
    GetWindowRect(control(txtPuntata(15)), &stake);
    MapWindowPoints(nullptr, port().window(), reinterpret_cast<POINT*>(&stake), 2);
    const ControlLayout* frame = containerOf(layoutOf(txtPuntata(15)));
    EXPECT_EQ(stake.top, toPixels(frame->top, dpi) + toPixels(layoutOf(txtPuntata(15)).top, dpi));
    EXPECT_EQ(stake.bottom - stake.top, toPixels(layoutOf(txtPuntata(15)).height, dpi));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control(txtPremio()), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -static_cast<LONG>(12.0 * dpi / 72.0 + 0.5));
}

TEST_F(Win32WindowTest, StartsInTheFirstStakeAndTabsRoundTheFocusableControls) {
    EXPECT_EQ(GetFocus(), control(txtPuntata(1)));
    SetFocus(control(txtPuntata(15)));
    for (ControlRef next : {cmdElabora(), txtPremio(), cmdClear(), txtPuntata(1)}) {
        key(VK_TAB);
        EXPECT_EQ(GetFocus(), control(next)) << nameOf(next);
    }
}

TEST_F(Win32WindowTest, TypedCharactersPassTheFilterAndLongPastesStayWhole) {
    type(L"1a2.3,4\x01\x16");  // Ctrl+A and Ctrl+V type control characters: discarded
    EXPECT_EQ(text(txtPuntata(1)), L"123,4");
    key(VK_BACK);
    EXPECT_EQ(text(txtPuntata(1)), L"123,");
    const std::wstring longText(40000, L'9');
    SendMessageW(control(txtPuntata(2)), EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(longText.c_str()));
    EXPECT_EQ(text(txtPuntata(2)).size(), longText.size());
}

TEST_F(Win32WindowTest, EnterWalksDownAndWrapsSelectingTheNextStake) {
    SetWindowTextW(control(txtPuntata(4)), L"250");
    SetFocus(control(txtPuntata(3)));
    key(VK_RETURN);
    EXPECT_EQ(GetFocus(), control(txtPuntata(4)));
    EXPECT_EQ(selection(txtPuntata(4)), std::make_pair(DWORD{0}, DWORD{3}));
    SetFocus(control(txtPuntata(15)));
    key(VK_RETURN);
    EXPECT_EQ(GetFocus(), control(txtPuntata(1)));
    SetFocus(control(txtPremio()));
    key(VK_RETURN);
    EXPECT_EQ(GetFocus(), control(txtPremio()));
    EXPECT_EQ(text(txtPremio()), L"11,67");
}

TEST_F(Win32WindowTest, AClickThatBringsTheFocusSelectsTheWholeStake) {
    SetWindowTextW(control(txtPuntata(6)), L"1234");
    click(control(txtPuntata(6)));
    EXPECT_EQ(GetFocus(), control(txtPuntata(6)));
    EXPECT_EQ(selection(txtPuntata(6)), std::make_pair(DWORD{0}, DWORD{4}));
}

// Each command's outcome goes to UI Automation as a notification, where the system has it
// (Windows 10 1709 on; not Wine, so the call is caught here).
TEST_F(Win32WindowTest, ElaboraFillsTheRowsAndCancellaEmptiesThemAndBothAreAnnounced) {
    static std::vector<std::wstring> announced;
    const RaiseNotification system = std::exchange(
        notificationSink(), [](IRawElementProviderSimple*, int, int, BSTR text, BSTR) -> HRESULT {
            announced.emplace_back(text);
            return S_OK;
        });
    type(L"10");
    click(control(cmdElabora()));
    EXPECT_EQ(text(lblSpesa(1)), L"10,00");
    EXPECT_EQ(text(lblVincita(1)), L"116,70");
    EXPECT_EQ(text(lblUtile(1)), L"106,70");
    SetFocus(control(cmdClear()));
    key(VK_RETURN);
    EXPECT_EQ(text(txtPuntata(1)), L"");
    EXPECT_EQ(text(lblUtile(1)), L"");
    EXPECT_EQ(text(txtPremio()), L"11,67");
    notificationSink() = system;
    EXPECT_EQ(announced,
              (std::vector<std::wstring>{L"1 puntata elaborata, spesa 10,00, utile 106,70.",
                                         L"Puntate e risultati cancellati."}));
}

// Under a high-contrast theme every control takes the system's colours, and the window follows
// the theme when it is turned on or off while it runs.
TEST_F(Win32WindowTest, AHighContrastThemeGivesEveryControlTheSystemsColours) {
    const auto painted = [this](ControlRef ref) {
        HDC dc = GetDC(port().window());
        SendMessageW(port().window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(control(ref)));
        const std::pair colours{GetBkColor(dc), GetTextColor(dc)};
        ReleaseDC(port().window(), dc);
        return colours;
    };
    const ContrastQuery system = std::exchange(highContrastQuery(), [] { return true; });
    SendMessageW(port().window(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_EQ(painted(lblUtile(1)),
              std::pair(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)));
    highContrastQuery() = [] { return false; };
    SendMessageW(port().window(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    const auto designed = [](const std::optional<Rgb>& rgb) { return RGB(rgb->r, rgb->g, rgb->b); };
    EXPECT_EQ(painted(lblUtile(1)), std::pair(designed(layoutOf(lblUtile(1)).background),
                                              designed(layoutOf(lblUtile(1)).foreground)));
    highContrastQuery() = system;
}

TEST_F(Win32WindowTest, BoxesAreReadDismissedAndTheFocusGoesWhereTheHandlerSays) {
    SetWindowTextW(control(txtPremio()), L"");
    click(control(cmdElabora()));
    auto boxes = catcher_.take();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, L"Inserire Premio ..! ");
    EXPECT_EQ(boxes[0].buttons, 1);
    EXPECT_EQ(GetFocus(), control(txtPremio()));

    SetWindowTextW(control(txtPremio()), L"11,67");
    SetWindowTextW(control(txtPuntata(1)), L"5");
    SetWindowTextW(control(txtPuntata(2)), L"1.5");  // only a paste can bring it
    click(control(cmdElabora()));
    boxes = catcher_.take();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_NE(boxes[0].text.find(L"riga 2"), std::wstring::npos);
    EXPECT_EQ(text(lblSpesa(1)), L"5,00");
    EXPECT_EQ(GetFocus(), control(txtPuntata(2)));
    EXPECT_EQ(selection(txtPuntata(2)), std::make_pair(DWORD{0}, DWORD{3}));
    type(L"2");  // the program goes on: the next digit replaces the bad stake
    EXPECT_EQ(text(txtPuntata(2)), L"2");
}

// Read back as a screen reader would, through the standard controls' accessible objects: the
// fields' names from their hidden labels, the cells' values. (Wine's accessibility library does
// not apply annotations, so the cells' descriptions can be read only on Windows.)
TEST_F(Win32WindowTest, ScreenReadersHearEachFieldsNameAndEachCellsValue) {
    const auto name = [](HWND hwnd) {
        IAccessible* accessible = nullptr;
        if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                              __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&accessible)))) {
            return std::wstring(L"(no accessible object)");
        }
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR value = nullptr;
        const HRESULT result = accessible->get_accName(self, &value);
        std::wstring text = SUCCEEDED(result) && value != nullptr ? value : L"(none)";
        SysFreeString(value);
        accessible->Release();
        return text;
    };
    type(L"4");
    click(control(cmdElabora()));
    EXPECT_EQ(name(control(txtPuntata(3))), L"Puntata 3");
    EXPECT_EQ(name(control(txtPremio())), L"PREMIO V.L.P");
    EXPECT_EQ(name(control(lblUtile(1))), L"42,68");
}

}  // namespace
}  // namespace stakora::win32
