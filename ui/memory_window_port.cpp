#include "memory_window_port.h"

#include <algorithm>
#include <stdexcept>

#include "form_layout.h"
#include "main_window.h"

namespace stakora {

namespace {

// Byte offset of character `position` in UTF-8 text (clamped to its end).
std::size_t byteOffset(const std::string& utf8, int position) {
    std::size_t offset = 0;
    for (int seen = 0; offset < utf8.size(); ++offset) {
        if ((static_cast<unsigned char>(utf8[offset]) & 0xC0U) != 0x80U && seen++ == position) {
            return offset;
        }
    }
    return utf8.size();
}

std::string utf8Of(int code) {
    std::string out;
    const auto c = static_cast<unsigned>(code);
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return out;
}

}  // namespace

WindowEvents& MemoryWindowPort::events() {
    if (events_ == nullptr) {
        throw std::logic_error("no handlers listen to this window");
    }
    return *events_;
}

void MemoryWindowPort::record(std::string line) {
    if (!failing_.empty() && line.starts_with(failing_)) {
        throw std::runtime_error("the toolkit failed: " + line);
    }
    log_.push_back(std::move(line));
}

std::string MemoryWindowPort::text(ControlRef box) const {
    return model_.textBox(box).text;
}

void MemoryWindowPort::setText(ControlRef box, const std::string& text) {
    record("text " + nameOf(box) + "=" + text);
    model_.textBox(box) = TextBoxState{text, 0, 0};
}

void MemoryWindowPort::select(ControlRef box, int start, int length) {
    record("select " + nameOf(box) + " " + std::to_string(start) + " " + std::to_string(length));
    TextBoxState& state = model_.textBox(box);
    const int size = characterCount(state.text);
    state.selStart = std::clamp(start, 0, size);
    state.selLength = std::clamp(length, 0, size - state.selStart);
}

void MemoryWindowPort::setCaption(ControlRef label, const std::string& caption) {
    record("caption " + nameOf(label) + "=" + caption);
    model_.caption(label) = caption;
}

void MemoryWindowPort::refresh(ControlRef label) {
    (void)model_.caption(label);  // only labels repaint
    record("refresh " + nameOf(label));
}

bool MemoryWindowPort::setFocus(ControlRef control) {
    record("focus " + nameOf(control));
    if (!active_) {
        model_.setFocus(control);
        return false;
    }
    moveFocus(control);
    return true;
}

void MemoryWindowPort::deactivate() {
    active_ = false;
}

void MemoryWindowPort::activate() {
    active_ = true;
    const ControlRef focus = model_.focus();
    if (focus.control == Control::txtPuntata) {
        events().onPuntataGotFocus(focus.index, FocusCause::Returned);
    }
}

void MemoryWindowPort::moveFocus(ControlRef control) {
    const auto& order = focusOrder();
    if (std::find(order.begin(), order.end(), control) == order.end()) {
        throw std::invalid_argument(nameOf(control) + " cannot take the focus");
    }
    model_.setFocus(control);
    if (control.control == Control::txtPuntata) {
        events().onPuntataGotFocus(control.index, FocusCause::Entered);
    }
}

void MemoryWindowPort::sendTab() {
    record("tab");
    ++queuedTabs_;
}

void MemoryWindowPort::messageBox(const std::string& prompt, const std::string& title) {
    record("message " + prompt);
    messages_.push_back({prompt, title});
}

void MemoryWindowPort::announce(const std::string& text) {
    record("announce " + text);
}

void MemoryWindowPort::type(std::string_view characters) {
    for (char c : characters) {
        typeCode(static_cast<unsigned char>(c));
    }
}

void MemoryWindowPort::typeCode(int code) {
    const ControlRef box = model_.focus();
    if (!isTextBox(box.control)) {
        return;
    }
    code = box.control == Control::txtPremio ? events().onPremioKeyPress(code)
                                             : events().onPuntataKeyPress(box.index, code);
    if (code == 0 || code == 13 || model_.focus() != box) {
        return;
    }
    TextBoxState& state = model_.textBox(box);
    int start = state.selStart;
    int length = state.selLength;
    if (code == 8 && length == 0) {
        if (start == 0) {
            return;
        }
        --start;
        length = 1;
    }
    const std::size_t from = byteOffset(state.text, start);
    const std::size_t to = byteOffset(state.text, start + length);
    const std::string inserted = code == 8 ? "" : utf8Of(code);
    state.text.replace(from, to - from, inserted);
    state.selStart = start + (inserted.empty() ? 0 : 1);
    state.selLength = 0;
}

void MemoryWindowPort::pressTab() {
    const auto& order = focusOrder();
    auto it = std::find(order.begin(), order.end(), model_.focus());
    it = (it == order.end() || std::next(it) == order.end()) ? order.begin() : std::next(it);
    moveFocus(*it);
}

void MemoryWindowPort::click(ControlRef control) {
    moveFocus(control);
    if (control == cmdElabora()) {
        events().onElaboraClick();
    } else if (control == cmdClear()) {
        events().onClearClick();
    }
}

void MemoryWindowPort::processEvents() {
    while (queuedTabs_ > 0) {
        --queuedTabs_;
        pressTab();
    }
}

}  // namespace stakora
