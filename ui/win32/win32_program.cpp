#include "win32_program.h"

#include <objbase.h>

#include <memory>

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
    std::unique_ptr<Program> program;
    try {
        program = std::make_unique<Program>(instance);
    } catch (...) {
        reportUnexpected(nullptr, Interrupted::NotStarted, "the start of the program");
        return 1;
    }
    return program->run();
}

}  // namespace stakora::win32
