// The program's own start-up, by the same code as the program, closing after its first paint.
#include <QApplication>

#include "application.h"
#include "first_paint.h"
#include "qt_window_port.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    stakora::qt::Program stakora;
    QuitAfterFirstPaint quit;
    stakora.window().installEventFilter(&quit);
    return QApplication::exec();
}
