// Text across the Windows API's edge: the handlers speak UTF-8 and count characters, Windows
// speaks UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace stakora::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
// The whole text of a window or control.
std::wstring windowText(HWND hwnd);
// Characters (code points) to UTF-16 units, the unit of EM_SETSEL.
int utf16Position(std::wstring_view text, int characters);

}  // namespace stakora::win32
