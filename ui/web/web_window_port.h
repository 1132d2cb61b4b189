// The window on the page's DOM, and the WindowPort operations on it. The page's script
// (page.js) reports the DOM's events to the exported stakora_event().
#pragma once

#include <string>

#include "window_port.h"

namespace stakora::web {

class WebWindowPort final : public WindowPort {
  public:
    // Takes over the window that the page shows (see web_markup.h).
    WebWindowPort();

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

    // An event of the page for the handlers; returns the character code a KeyPress lets through.
    // For a focus, `code` is 0 where the field is entered, 1 where it is given back with the
    // page.
    int dispatch(int event, int index, int code);

  private:
    WindowEvents* events_ = nullptr;
    double lastPaint_ = 0;      // when the page was last up to date on screen, in milliseconds
    bool synchronous_ = false;  // the running handler's answer is awaited: it may not sleep
};

// Starts the window with its handlers, for the life of the page.
void start();

}  // namespace stakora::web
