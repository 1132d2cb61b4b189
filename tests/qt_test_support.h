// Shared by the tests that drive the real Qt window offscreen.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "application.h"
#include "main_window.h"
#include "qt_window_port.h"

namespace stakora::qt::testing {

// Closes every modal message box as soon as it shows and records what it said, so no test can
// hang on a box; a test then checks the boxes it expected, and no others.
class MessageBoxCatcher {
  public:
    struct Box {
        std::string text, title;
        QMessageBox::Icon icon;
        int buttons;
    };

    MessageBoxCatcher() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes_.push_back({box->text().toStdString(), box->windowTitle().toStdString(),
                                  box->icon(), static_cast<int>(box->buttons().size())});
                box->accept();
            }
        });
        timer_.start();
    }

    std::vector<Box> take() { return std::exchange(boxes_, {}); }

  private:
    QTimer timer_;
    std::vector<Box> boxes_;
};

// The real window with its handlers, started as the program starts it.
struct ShownWindow {
    Program program;
    QtWindowPort* port = &program.window();
};

}  // namespace stakora::qt::testing
