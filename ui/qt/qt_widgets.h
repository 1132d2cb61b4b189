// The window's own kinds of widget: what Qt's standard ones do not do as the window needs.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace stakora::qt {

// A text box whose typed characters pass through a KeyPress handler first, and which reports
// when it receives the focus. As a standard desktop field, it takes no drop.
class TextField final : public QLineEdit {
  public:
    std::function<int(int)> keyPress;               // returns the code to type, 0 to discard
    std::function<void(Qt::FocusReason)> gotFocus;  // after the toolkit has placed the caret
    std::function<void()> keyDone;                  // once a key is done with, handler and all

    explicit TextField(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
        setAcceptDrops(false);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // The click that brings the focus must not move the caret and undo the selection that
    // gotFocus made; later clicks in the field, and every click in a field without gotFocus,
    // place the caret as usual.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void takeKey(QKeyEvent* event);

    bool mouseFocus_ = false;
    bool swallowing_ = false;
};

// A result cell: a label with a single-line border that keeps the text colour for the text.
class CellLabel final : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A frame as an etched box with no caption; the frame width stays QFrame's, one pixel.
class EtchedFrame final : public QFrame {
  public:
    explicit EtchedFrame(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A command button that Enter and the keypad's Enter press too, as Space does, when it has the
// focus: what every desktop's standard buttons do. It is never a default button, so Enter typed
// elsewhere stays with the field it was typed in.
class CommandButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace stakora::qt
