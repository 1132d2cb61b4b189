// The Windows program's own start-up, by the same code as the program, closing after its first
// paint.
#include "win32_first_paint.h"
#include "win32_program.h"
#include "win32_window_port.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    stakora::win32::Program stakora(instance);
    quitAfterFirstPaint();
    return stakora.run();
}
