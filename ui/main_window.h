// The window's event handlers, written only against WindowPort and the calculation. Each runs
// behind one guard: a failure it did not expect (memory running out, a toolkit operation that
// fails) is shown in the program's message box, and the window goes on with what the user
// typed intact; nothing unwinds into the toolkit that called the handler.
#pragma once

#include <memory>
#include <string>

#include "unexpected_failure.h"
#include "window_port.h"

namespace stakora {

class MainWindow final : public WindowEvents {
  public:
    // Takes the toolkit for the whole run, listens to its events and puts the focus in the
    // first stake field.
    explicit MainWindow(std::unique_ptr<WindowPort> port);

    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    WindowPort& port() { return *port_; }

    // ELABORA: computes the schedule and fills each filled row's cells, one repainted cell after
    // another. An empty prize is answered with a warning and the focus in the prize box; a text
    // that is no number, or too large, stops at its row with a message naming the field.
    void onElaboraClick() override;
    // Cancella: empties the stake fields and the result cells; the prize and the focus stay.
    void onClearClick() override;
    // The fields take digits, the comma and Backspace; Enter walks down the stake column.
    int onPremioKeyPress(int code) override;
    int onPuntataKeyPress(int index, int code) override;
    // A stake field selects its whole text on entry, so the next digit replaces it; given back
    // with the window, it keeps the caret and selection the user left.
    void onPuntataGotFocus(int index, FocusCause cause) override;

  private:
    void elabora();
    void clear();
    int puntataKeyPress(int index, int code);
    void showRow(const RowResult& row);
    void reportNumberError(const NumberError& error);
    void selectAll(ControlRef box);
    void enter(ControlRef control);
    // Runs a handler's body; on an unexpected failure tells the user how far it got, and
    // returns onFailure.
    template <typename Body>
    int guarded(Body&& body, int onFailure = 0) noexcept;
    // Records that the running handler has changed what the window shows.
    void changed(Interrupted how);

    std::unique_ptr<WindowPort> port_;
    Interrupted progress_ = Interrupted::NothingChanged;
};

// The characters both kinds of field let through: Backspace, the comma and the digits.
bool isAcceptedCode(int code);

// Characters, not bytes, in UTF-8 text: the unit of SelStart and SelLength.
int characterCount(const std::string& utf8);

}  // namespace stakora
