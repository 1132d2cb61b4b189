#include "win32_program.h"

#include <objbase.h>

#include <exception>

#include "main_window.h"
#include "win32_window_port.h"

namespace stakora::win32 {

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

int Program::run() {
    return window_->run();
}

int runProgram(HINSTANCE instance) noexcept {
    try {
        return Program(instance).run();
    } catch (const std::exception& error) {
        reportUnexpected(nullptr, error.what());
    } catch (...) {
        reportUnexpected(nullptr, nullptr);
    }
    return 1;
}

}  // namespace stakora::win32
