#include "qt_widgets.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFrame>

#include "outline_painting.h"

namespace stakora::qt {

void TextField::keyPressEvent(QKeyEvent* event) {
    takeKey(event);
    if (keyDone) {
        keyDone();
    }
}

void TextField::takeKey(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    // A standard desktop field deletes no words: Ctrl or Alt with Backspace types a character
    // that its KeyPress handler discards, and with Delete nothing.
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) &&
        (modifiers & (Qt::ControlModifier | Qt::AltModifier)) != 0) {
        event->accept();
        return;
    }
    // Left and Right end a selection at its side, as on the desktops and in the browsers; Qt
    // does so only with some platforms' key schemes, and moves on from the caret with others.
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && modifiers == Qt::NoModifier &&
        hasSelectedText()) {
        const int side = key == Qt::Key_Left ? selectionStart() : selectionEnd();
        setCursorPosition(side);  // and deselects
        event->accept();
        return;
    }
    const bool navigation = key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete ||
                            key == Qt::Key_Insert;
    if (!keyPress || navigation || event->text().isEmpty()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Every character of the event must pass; none is typed otherwise. Ctrl+letter types a
    // control character (or the bare letter, on some platforms): discarded either way.
    for (char32_t character : event->text().toUcs4()) {
        if (keyPress(static_cast<int>(character)) == 0) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TextField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    mouseFocus_ = event->reason() == Qt::MouseFocusReason;
    if (gotFocus) {
        gotFocus(event->reason());
    }
}

void TextField::mousePressEvent(QMouseEvent* event) {
    if (mouseFocus_ && gotFocus && event->button() == Qt::LeftButton) {
        mouseFocus_ = false;
        swallowing_ = true;
        event->accept();
        return;
    }
    mouseFocus_ = false;
    QLineEdit::mousePressEvent(event);
}

void TextField::mouseMoveEvent(QMouseEvent* event) {
    if (!swallowing_) {
        QLineEdit::mouseMoveEvent(event);
    }
}

void TextField::mouseReleaseEvent(QMouseEvent* event) {
    if (swallowing_) {
        swallowing_ = false;
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CellLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter painter(this);
    paintOutline(painter, rect(), QColor(96, 96, 96));
}

EtchedFrame::EtchedFrame(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Sunken);
}

void EtchedFrame::paintEvent(QPaintEvent*) {
    QStyleOptionFrame option;  // the palette as the window's state colours it
    initStyleOption(&option);
    QPainter painter(this);
    paintSunkenBox(painter, option.rect, option.palette);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat()) {
            click();
        }
        return;
    }
    QPushButton::keyPressEvent(event);
}

}  // namespace stakora::qt
