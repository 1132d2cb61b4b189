// What the window's handlers need from a toolkit, in plain C++: UTF-8 text, control names and
// array indices. A toolkit adapter implements WindowPort and reports its events to WindowEvents.
#pragma once

#include <string>

#include "form_model.h"

namespace stakora {

// How a text box came to have the focus: entered (by the user, or by a handler), or given back
// to it when its window returns to the front or a popup menu closes.
enum class FocusCause { Entered, Returned };

// The events the window answers. A KeyPress handler returns the character code that goes on to
// the text box; 0 discards the character. None of them throws.
class WindowEvents {
  public:
    virtual void onElaboraClick() = 0;
    virtual void onClearClick() = 0;
    virtual int onPremioKeyPress(int code) = 0;
    virtual void onPuntataGotFocus(int index, FocusCause cause) = 0;
    virtual int onPuntataKeyPress(int index, int code) = 0;

  protected:
    ~WindowEvents() = default;
};

class WindowPort {
  public:
    virtual ~WindowPort() = default;

    // Where the toolkit reports clicks, typed characters (before the text box sees them) and
    // focus changes from now on.
    virtual void listen(WindowEvents& events) = 0;

    // Text of a text box; writing replaces the whole text.
    virtual std::string text(ControlRef box) const = 0;
    virtual void setText(ControlRef box, const std::string& text) = 0;
    // SelStart and SelLength of a text box, in characters.
    virtual void select(ControlRef box, int start, int length) = 0;
    // Caption of a label, and repainting it at once, before the handler goes on.
    virtual void setCaption(ControlRef label, const std::string& caption) = 0;
    virtual void refresh(ControlRef label) = 0;
    // Moves the focus; a text box that receives it raises its GotFocus event. Returns false
    // where the toolkit only recorded the move, to be made when the window is next activated
    // (a window not yet shown, or behind another), and so raised no event.
    virtual bool setFocus(ControlRef control) = 0;
    // Queues one Tab keystroke: after the running handler returns, the focus moves to the next
    // control in tab order.
    virtual void sendTab() = 0;
    // A modal box with the critical icon and one OK button; returns once it is dismissed.
    virtual void messageBox(const std::string& prompt, const std::string& title) = 0;
    // Tells a screen reader's user what a command did, politely (after what it is saying now),
    // without moving the focus or changing anything on the screen.
    virtual void announce(const std::string& text) = 0;
};

}  // namespace stakora
