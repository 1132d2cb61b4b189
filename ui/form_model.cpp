#include "form_model.h"

#include <stdexcept>
#include <utility>

namespace stakora {

bool isTextBox(Control control) {
    return control == Control::txtPremio || control == Control::txtPuntata;
}

bool isLabel(Control control) {
    return control == Control::lblSpesa || control == Control::lblVincita ||
           control == Control::lblUtile;
}

bool isValid(ControlRef ref) {
    const bool isArray = ref.control == Control::txtPuntata || isLabel(ref.control);
    return isArray ? (ref.index >= 1 && ref.index <= ROW_COUNT) : ref.index == 0;
}

std::string nameOf(ControlRef ref) {
    static constexpr std::array<const char*, 7> kNames = {
        "txtPremio", "txtPuntata", "lblSpesa", "lblVincita", "lblUtile", "cmdElabora", "cmdClear"};
    std::string name = kNames.at(static_cast<std::size_t>(ref.control));
    if (ref.index != 0) {
        name += "(" + std::to_string(ref.index) + ")";
    }
    return name;
}

namespace {

std::size_t slot(ControlRef ref) {
    if (!isValid(ref)) {
        throw std::out_of_range("no such control: " + nameOf(ref));
    }
    return static_cast<std::size_t>(ref.index - 1);
}

}  // namespace

FormModel::FormModel() {
    premio_.text = kDefaultPrizeText;
}

TextBoxState& FormModel::textBox(ControlRef box) {
    return const_cast<TextBoxState&>(std::as_const(*this).textBox(box));
}

const TextBoxState& FormModel::textBox(ControlRef box) const {
    if (box.control == Control::txtPremio && box.index == 0) {
        return premio_;
    }
    if (box.control != Control::txtPuntata) {
        throw std::out_of_range("not a text box: " + nameOf(box));
    }
    return puntata_.at(slot(box));
}

std::string& FormModel::caption(ControlRef label) {
    return const_cast<std::string&>(std::as_const(*this).caption(label));
}

const std::string& FormModel::caption(ControlRef label) const {
    if (!isLabel(label.control)) {
        throw std::out_of_range("not a result cell: " + nameOf(label));
    }
    const auto column =
        static_cast<std::size_t>(label.control) - static_cast<std::size_t>(Control::lblSpesa);
    return captions_.at(column).at(slot(label));
}

}  // namespace stakora
