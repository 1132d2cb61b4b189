#pragma once

#include <QTranslator>

#include <functional>
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
// display to open it on, says so and returns at once. `shown` sees the window once it is
// shown, before any event reaches it (the start-up benchmark ends the program there).
int runApplication(int argc, char** argv,
                   const std::function<void(QtWindowPort& window)>& shown = {});

}  // namespace stakora::qt
