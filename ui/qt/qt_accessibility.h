// What the window tells screen readers beyond what Qt's widgets say by themselves: the etched
// boxes are groups (an AT-SPI "frame" is a window to a screen reader, which then ignores every
// focus change inside it as happening in an inactive window), and announcements of what a
// command did.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>

class QWidget;

namespace stakora::qt {

// Gives the window's own widgets their accessible roles. Once per process, after the
// QApplication exists and before any widget is asked for its interface: Qt keeps an interface
// once made.
void installAccessibleRoles();

// Says a short text to a screen reader without moving the focus or changing a pixel: a status
// bar that is never shown holds a notification that appears to assistive technology for a
// moment. Orca speaks a notification that becomes showing whatever has the focus, while it
// would ignore a changed name or description of an object that has not.
class Announcer {
  public:
    explicit Announcer(QWidget* window);
    void announce(const QString& text);

  private:
    QPointer<QLabel> notice_;
};

}  // namespace stakora::qt
