// Ends the program once its window has painted for the first time: what the start-up
// benchmark times.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

class QuitAfterFirstPaint : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // Queued, so the paint completes and reaches the screen first.
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool painted_ = false;
};
