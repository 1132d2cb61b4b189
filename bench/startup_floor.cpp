// The floor for start-up: the least a Qt Widgets program does to show a window of the same size.
#include <QApplication>
#include <QLabel>

#include "first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Stakora"));
    label.resize(397, 575);
    QuitAfterFirstPaint quit;
    label.installEventFilter(&quit);
    label.show();
    return QApplication::exec();
}
