// A WindowPort without a toolkit: the window's state lives in a FormModel, every operation is
// logged, message boxes are recorded and dismissed at once, and the user's side (typing, Tab,
// clicks) is simulated. The handlers run against it in fast tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "window_port.h"

namespace stakora {

class MemoryWindowPort final : public WindowPort {
  public:
    struct Message {
        std::string prompt;
        std::string title;
    };

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

    // The user's side. Each typed character goes through the focused text box's KeyPress
    // handler and, if it survives, edits the text at the selection as a single-line field does.
    void type(std::string_view characters);
    void typeCode(int code);
    void pressTab();                 // moves the focus on in tab order
    void click(ControlRef control);  // focuses it; a button is then pressed
    void processEvents();            // delivers the queued Tab keystrokes
    // Another window comes to the front: the focus is only recorded until the window returns,
    // and then given back to the control that had it.
    void deactivate();
    void activate();
    // Every operation whose log line starts with `prefix` throws from now on, as a toolkit that
    // fails would ("caption lblUtile(2)"); an empty prefix ends it.
    void failOperations(std::string prefix) { failing_ = std::move(prefix); }

    const FormModel& model() const { return model_; }
    FormModel& model() { return model_; }
    const std::vector<Message>& messages() const { return messages_; }
    // Every port operation in order, e.g. "caption lblSpesa(1)=10,00", "refresh lblSpesa(1)".
    const std::vector<std::string>& log() const { return log_; }
    void clearLog() { log_.clear(); }

  private:
    WindowEvents& events();
    void moveFocus(ControlRef control);
    void record(std::string line);

    FormModel model_;
    WindowEvents* events_ = nullptr;
    int queuedTabs_ = 0;
    bool active_ = true;
    std::string failing_;
    std::vector<Message> messages_;
    std::vector<std::string> log_;
};

}  // namespace stakora
