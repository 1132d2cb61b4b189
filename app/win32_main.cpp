#include "win32_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return stakora::win32::runProgram(instance);
}
