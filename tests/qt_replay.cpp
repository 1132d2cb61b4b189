// Plays sequences of a player's actions in the real Qt window, offscreen, each in a new window,
// and prints where each leaves it: the desktop window that the page's differential test
// compares the page with (tests/web_differential_test.py makes the sequences).
//   stdin:  [[action, ...], ...]
//     {"key": "5" | "Enter" | "Tab" | "ArrowLeft" | ..., "shift": bool, "ctrl": bool}
//     {"press": "txtPuntata(3)", "at": "left" | "right"}   (a field beside its text, else the
//                                                           middle of the control)
//   stdout: [{"fields": {id: text}, "cells": {id: caption}, "focus": id, "selection":
//             [start, end, caret] of the focused field, "box": open}, ...]
// While a message box is open it takes what follows, as a desktop's modal loop does.
#include <QAbstractButton>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "application.h"
#include "form_layout.h"
#include "qt_window_port.h"

namespace stakora::qt {
namespace {

struct Key {
    Qt::Key key;
    QString text;  // what an X11 keyboard types with it
};

Key keyOf(const QString& name, bool ctrl) {
    static const std::map<QString, Key> named = {{"Enter", {Qt::Key_Return, "\r"}},
                                                 {"Tab", {Qt::Key_Tab, "\t"}},
                                                 {"Backspace", {Qt::Key_Backspace, "\b"}},
                                                 {"Delete", {Qt::Key_Delete, "\x7f"}},
                                                 {"Escape", {Qt::Key_Escape, "\x1b"}},
                                                 {" ", {Qt::Key_Space, " "}},
                                                 {"ArrowLeft", {Qt::Key_Left, ""}},
                                                 {"ArrowRight", {Qt::Key_Right, ""}},
                                                 {"ArrowUp", {Qt::Key_Up, ""}},
                                                 {"ArrowDown", {Qt::Key_Down, ""}},
                                                 {"Home", {Qt::Key_Home, ""}},
                                                 {"End", {Qt::Key_End, ""}},
                                                 {",", {Qt::Key_Comma, ","}},
                                                 {".", {Qt::Key_Period, "."}}};
    if (const auto found = named.find(name); found != named.end()) {
        return found->second;
    }
    const QChar c = name.at(0);
    const auto key = static_cast<Qt::Key>(c.toUpper().unicode());  // Key_0..9, Key_A..Z
    // Ctrl with a letter types its control character.
    return {key, ctrl && c.isLetter() ? QString(QChar(c.toUpper().unicode() - 64)) : name};
}

class Player {
  public:
    explicit Player(const QJsonArray& actions) : actions_(actions) {}

    QJsonObject play() {
        Program program;
        window_ = &program.window();
        if (!QTest::qWaitForWindowActive(window_)) {
            std::fputs("qt_replay: the window did not become active\n", stderr);
            std::exit(1);
        }
        while (next_ < actions_.size() && !state_) {
            // Runs inside the box's modal loop if this action opens one.
            QTimer::singleShot(0, window_, [this] { feedTheBox(); });
            perform(actions_.at(next_++).toObject());
            settle();
        }
        return state_ ? *state_ : stateNow(false);
    }

  private:
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    static void send(QWidget* target, const QJsonObject& action) {
        Qt::KeyboardModifiers modifiers;
        if (action["shift"].toBool()) {
            modifiers |= Qt::ShiftModifier;
        }
        if (action["ctrl"].toBool()) {
            modifiers |= Qt::ControlModifier;
        }
        Key key = keyOf(action["key"].toString(), action["ctrl"].toBool());
        if (key.key == Qt::Key_Tab && action["shift"].toBool()) {
            key = {Qt::Key_Backtab, ""};  // as X11 reports Shift+Tab
        }
        QKeyEvent press(QEvent::KeyPress, key.key, modifiers, key.text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key.key, modifiers, key.text);
        QApplication::sendEvent(target, &release);
    }

    void perform(const QJsonObject& action) {
        if (action.contains("key")) {
            send(QApplication::focusWidget(), action);
            return;
        }
        QWidget* control = window_->widgetById(action["press"].toString().toStdString());
        QPoint at = control->rect().center();
        if (qobject_cast<QLineEdit*>(control) != nullptr) {
            at.setX(action["at"].toString() == "left" ? 2 : control->width() - 3);
        }
        QTest::mouseClick(control, Qt::LeftButton, {}, at);
    }

    // The box has the keyboard until Enter, Space or Escape closes it; presses on the window
    // do not reach it.
    void feedTheBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        QWidget* button = box->buttons().front();  // its only one, OK, has the keyboard
        while (box->isVisible() && next_ < actions_.size()) {
            const QJsonObject action = actions_.at(next_++).toObject();
            if (action.contains("key")) {
                send(button, action);
            }
        }
        if (box->isVisible()) {  // the sequence ends with the box open
            state_ = stateNow(true);
            box->done(0);
        }
    }

    QJsonObject stateNow(bool boxOpen) const {
        QJsonObject fields, cells;
        for (const ControlLayout& control : formLayout()) {
            const std::optional<ControlRef> ref = control.ref();
            if (ref && isTextBox(ref->control)) {
                fields[QString::fromStdString(control.id())] = window_->textBox(*ref)->text();
            } else if (ref && isLabel(ref->control)) {
                cells[QString::fromStdString(control.id())] = window_->label(*ref)->text();
            }
        }
        QJsonObject state{{"fields", fields}, {"cells", cells}, {"box", boxOpen}};
        QWidget* focus = window_->focusWidget();
        state["focus"] = boxOpen ? QJsonValue("msgbox") : QJsonValue(focus->objectName());
        if (auto* field = qobject_cast<QLineEdit*>(focus); field != nullptr && !boxOpen) {
            const int start =
                field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
            state["selection"] =
                QJsonArray{start, start + static_cast<int>(field->selectedText().size()),
                           field->cursorPosition()};
        }
        return state;
    }

    const QJsonArray actions_;
    qsizetype next_ = 0;
    QtWindowPort* window_ = nullptr;
    std::optional<QJsonObject> state_;
};

}  // namespace
}  // namespace stakora::qt

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTextStream in(stdin);
    QJsonParseError error{};
    const QJsonDocument sequences = QJsonDocument::fromJson(in.readAll().toUtf8(), &error);
    if (!sequences.isArray()) {
        std::fprintf(stderr, "qt_replay: %s\n", error.errorString().toUtf8().constData());
        return 2;
    }
    QJsonArray states;
    for (const QJsonValue& sequence : sequences.array()) {
        states.append(stakora::qt::Player(sequence.toArray()).play());
    }
    std::fputs(QJsonDocument(states).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
