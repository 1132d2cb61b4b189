// The window built with Qt Widgets from the layout data, and the WindowPort operations on it.
#pragma once

#include <QWidget>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "window_port.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace stakora {
struct ControlLayout;
}

namespace stakora::qt {

class TextField;
class Announcer;

class QtWindowPort final : public QWidget, public WindowPort {
  public:
    QtWindowPort();
    ~QtWindowPort() override;

    // Shows the window centred on the screen it opens on.
    void showCentred();

    // The widget of a control the handlers use, and of any control of the layout by its id
    // ("Frame4", "Label1(3)", "txtPuntata(7)").
    QWidget* widget(ControlRef ref) const;
    QWidget* widgetById(const std::string& id) const;
    QLineEdit* textBox(ControlRef ref) const;
    QLabel* label(ControlRef ref) const;

    void listen(WindowEvents& events) override { events_ = &events; }
    std::string text(ControlRef box) const override;
    void setText(ControlRef box, const std::string& text) override;
    void select(ControlRef box, int start, int length) override;
    void setCaption(ControlRef label, const std::string& caption) override;
    void refresh(ControlRef label) override;
    bool setFocus(ControlRef control) override;
    void sendTab() override;
    void messageBox(const std::string& prompt, const std::string& title) override;
    void announce(const std::string& text) override;

  private:
    void build();
    QWidget* create(const ControlLayout& layout, QWidget* parent);
    void takeQueuedTabs();

    WindowEvents* events_ = nullptr;
    int queuedTabs_ = 0;
    std::map<std::string, QWidget*> byId_;
    TextField* premio_ = nullptr;
    std::array<TextField*, ROW_COUNT + 1> puntata_{};            // [1] to [ROW_COUNT]
    std::array<std::array<QLabel*, ROW_COUNT + 1>, 3> cells_{};  // Spesa, Vincita, Utile
    QPushButton* elabora_ = nullptr;
    QPushButton* clear_ = nullptr;
    std::unique_ptr<Announcer> announcer_;
};

}  // namespace stakora::qt
