// What the Windows edition tells assistive technology beyond what the standard controls say:
// announcements through UI Automation, and whether the user has asked for a high-contrast theme.
#pragma once

#include <windows.h>
#include <wtypes.h>

#include <string>

struct IRawElementProviderSimple;

namespace stakora::win32 {

// UiaRaiseNotificationEvent, which Windows has from 10 version 1709 on: looked up when first
// needed, so the program still starts where it is missing (and under Wine, which lacks it).
using RaiseNotification = HRESULT(WINAPI*)(IRawElementProviderSimple* provider, int kind,
                                           int processing, BSTR text, BSTR activity);
// Where announcements go: the system's function, or null where there is none. Replaceable, so
// that tests can see the call made where the system cannot take it.
RaiseNotification& notificationSink();

// Asks screen readers to say `text` once what they are saying is done, as the outcome of an
// action in `window`. Does nothing where the system cannot.
void announce(HWND window, const std::string& text);

// Whether a high-contrast theme is on. Replaceable, like the sink, for the tests.
using ContrastQuery = bool (*)();
ContrastQuery& highContrastQuery();

}  // namespace stakora::win32
