// The program's own start-up, by the same code as the program, closing after its first paint.
#include "application.h"
#include "first_paint.h"
#include "qt_window_port.h"

int main(int argc, char** argv) {
    QuitAfterFirstPaint quit;
    return stakora::qt::runApplication(argc, argv, [&quit](stakora::qt::QtWindowPort& window) {
        window.installEventFilter(&quit);
    });
}
