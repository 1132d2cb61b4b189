// The window's controls by name, and the state of those whose state can change.
#pragma once

#include <array>
#include <string>

#include "schedule_calculator.h"

namespace stakora {

inline constexpr const char* kAppTitle = "Stakora";

// The controls that handlers read, write or focus. Arrays are indexed 1 to ROW_COUNT.
enum class Control { txtPremio, txtPuntata, lblSpesa, lblVincita, lblUtile, cmdElabora, cmdClear };

struct ControlRef {
    Control control = Control::txtPremio;
    int index = 0;  // 1 to ROW_COUNT for an array member, 0 for a single control

    friend bool operator==(const ControlRef&, const ControlRef&) = default;
};

inline ControlRef txtPremio() {
    return {Control::txtPremio, 0};
}
inline ControlRef txtPuntata(int i) {
    return {Control::txtPuntata, i};
}
inline ControlRef lblSpesa(int i) {
    return {Control::lblSpesa, i};
}
inline ControlRef lblVincita(int i) {
    return {Control::lblVincita, i};
}
inline ControlRef lblUtile(int i) {
    return {Control::lblUtile, i};
}
inline ControlRef cmdElabora() {
    return {Control::cmdElabora, 0};
}
inline ControlRef cmdClear() {
    return {Control::cmdClear, 0};
}

bool isTextBox(Control control);
bool isLabel(Control control);
// True for a control of the window: an array member 1 to ROW_COUNT, or a single control with 0.
bool isValid(ControlRef ref);
// "txtPuntata(3)", "txtPremio": for messages and test output.
std::string nameOf(ControlRef ref);

struct TextBoxState {
    std::string text;
    int selStart = 0;   // in characters
    int selLength = 0;  // in characters
};

// Everything a handler can change, with the values the window starts with. A toolkit keeps this
// state in its own widgets; the in-memory port keeps it here.
class FormModel {
  public:
    FormModel();

    TextBoxState& textBox(ControlRef box);
    const TextBoxState& textBox(ControlRef box) const;
    std::string& caption(ControlRef label);
    const std::string& caption(ControlRef label) const;

    ControlRef focus() const { return focus_; }
    void setFocus(ControlRef control) { focus_ = control; }

  private:
    TextBoxState premio_;
    std::array<TextBoxState, ROW_COUNT> puntata_{};
    std::array<std::array<std::string, ROW_COUNT>, 3> captions_{};  // Spesa, Vincita, Utile
    ControlRef focus_ = txtPuntata(1);
};

}  // namespace stakora
