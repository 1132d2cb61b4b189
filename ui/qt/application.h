#pragma once

#include <QTranslator>

#include <memory>

namespace stakora {
class MainWindow;
}

namespace stakora::qt {

class QtWindowPort;

// The program once Qt is up: the toolkit's own texts (context menus, dialog buttons) in Italian
// where the system has Qt's translations, and the window with its handlers, shown centred.
class Program {
  public:
    Program();
    ~Program();

    QtWindowPort& window() { return *window_; }

  private:
    QTranslator translator_;
    QtWindowPort* window_;
    std::unique_ptr<MainWindow> handlers_;  // owns the window
};

// Opens the window and runs until it is closed; returns the program's exit status. Without a
// display to open it on, says so and returns at once.
int runApplication(int argc, char** argv);

}  // namespace stakora::qt
