#include "win32_accessibility.h"

#include <oleauto.h>
#include <uiautomationcore.h>

#include "win32_text.h"

namespace stakora::win32 {

namespace {

// The values of UI Automation's NotificationKind and NotificationProcessing used here.
constexpr int kActionCompleted = 2;
constexpr int kMostRecent = 3;

using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND window, IRawElementProviderSimple** provider);

HMODULE automationCore() {
    static const HMODULE module =
        LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module;
}

template <typename Function>
Function lookUp(const char* name) {
    HMODULE module = automationCore();
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

bool systemHighContrast() {
    HIGHCONTRASTW contrast{sizeof(contrast)};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) != FALSE &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

RaiseNotification& notificationSink() {
    static RaiseNotification sink = lookUp<RaiseNotification>("UiaRaiseNotificationEvent");
    return sink;
}

void announce(HWND window, const std::string& text) {
    RaiseNotification raise = notificationSink();
    if (raise == nullptr) {
        return;
    }
    static const auto hostProvider = lookUp<HostProviderFromHwnd>("UiaHostProviderFromHwnd");
    IRawElementProviderSimple* provider = nullptr;
    if (hostProvider != nullptr && FAILED(hostProvider(window, &provider))) {
        provider = nullptr;
    }
    const std::wstring wide = widen(text);
    BSTR spoken = SysAllocString(wide.c_str());
    BSTR activity = SysAllocString(L"Stakora");
    raise(provider, kActionCompleted, kMostRecent, spoken, activity);
    SysFreeString(activity);
    SysFreeString(spoken);
    if (provider != nullptr) {
        provider->Release();
    }
}

ContrastQuery& highContrastQuery() {
    static ContrastQuery query = systemHighContrast;
    return query;
}

}  // namespace stakora::win32
