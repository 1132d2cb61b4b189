// Owners of the GDI and USER objects the window makes. Each object is deleted exactly once, when
// its owner goes or takes a new one, and never while the system may still draw with it.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "form_layout.h"

namespace stakora::win32 {

inline COLORREF toColorref(const Rgb& rgb) {
    return RGB(rgb.r, rgb.g, rgb.b);
}

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
// A window destroyed by its owner: first cut off from the object whose messages it handled (its
// GWLP_USERDATA), which may be half made or half gone by then.
struct WindowDestroyer {
    void operator()(HWND window) const {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
};

template <typename Handle, typename Deleter = GdiObjectDeleter>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, Deleter>;

using OwnedFont = Owned<HFONT>;
using OwnedBrush = Owned<HBRUSH>;
using OwnedBitmap = Owned<HBITMAP>;
using OwnedIcon = Owned<HICON, IconDeleter>;
using OwnedWindow = Owned<HWND, WindowDestroyer>;

}  // namespace stakora::win32
