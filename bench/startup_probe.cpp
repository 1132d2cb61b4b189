// The program's own window, built by the same code as the program, closing after its first paint.
#include <QApplication>

#include <memory>

#include "first_paint.h"
#include "main_window.h"
#include "qt_window_port.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto port = std::make_unique<stakora::qt::QtWindowPort>();
    stakora::qt::QtWindowPort& window = *port;
    const stakora::MainWindow handlers(std::move(port));
    QuitAfterFirstPaint quit;
    window.installEventFilter(&quit);
    window.showCentred();
    return QApplication::exec();
}
