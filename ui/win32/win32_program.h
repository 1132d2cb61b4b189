// The Windows program: COM for the screen reader annotations, and the window with its handlers,
// shown centred. Used by the entry point, the window tests and the start-up benchmark alike.
#pragma once

#include <windows.h>

#include <memory>

namespace stakora {
class MainWindow;
}

namespace stakora::win32 {

class Win32WindowPort;

class Program {
  public:
    explicit Program(HINSTANCE instance);
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Win32WindowPort& window() { return *window_; }
    // Runs until the window is closed; returns the program's exit code.
    int run();

  private:
    HRESULT com_;
    Win32WindowPort* window_ = nullptr;
    std::unique_ptr<MainWindow> handlers_;  // owns the window
};

// The entry point's whole work: the program, run to its end. A failure that nothing else
// caught, even while the window is made, is told to the user before the program ends.
int runProgram(HINSTANCE instance) noexcept;

}  // namespace stakora::win32
