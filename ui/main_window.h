// The window's event handlers, written only against WindowPort and the calculation.
#pragma once

#include <memory>

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
    // A stake field selects its whole text on entry, so the next digit replaces it.
    void onPuntataGotFocus(int index) override;

  private:
    void showRow(const RowResult& row);
    void reportNumberError(const NumberError& error);
    void selectAll(ControlRef box);

    std::unique_ptr<WindowPort> port_;
};

// The characters both kinds of field let through: Backspace, the comma and the digits.
bool isAcceptedCode(int code);

// Characters, not bytes, in UTF-8 text: the unit of SelStart and SelLength.
int characterCount(const std::string& utf8);

}  // namespace stakora
