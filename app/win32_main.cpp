#include "win32_window_port.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return stakora::win32::Program(instance).run();
}
