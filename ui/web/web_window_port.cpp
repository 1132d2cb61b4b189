#include "web_window_port.h"

#include <emscripten.h>

#include <cstdlib>
#include <memory>
#include <utility>

#include "form_layout.h"
#include "main_window.h"
#include "unexpected_failure.h"

// The DOM side of the operations, in the page's JavaScript. Element ids are the controls' ids
// ("txtPuntata(3)"); texts cross as UTF-8.
EM_JS(char*, stakora_js_text, (const char* id), {
    const text = document.getElementById(UTF8ToString(id)).value;
    const size = lengthBytesUTF8(text) + 1;
    const buffer = _malloc(size);
    stringToUTF8(text, buffer, size);
    return buffer;
});
EM_JS(void, stakora_js_set_text, (const char* id, const char* text),
      { document.getElementById(UTF8ToString(id)).value = UTF8ToString(text); });
EM_JS(void, stakora_js_select, (const char* id, int start, int length), {
    // Characters (code points) to the UTF-16 positions of the selection.
    const field = document.getElementById(UTF8ToString(id));
    const characters = Array.from(field.value);
    const from = characters.slice(0, start).join("").length;
    const to = characters.slice(0, start + length).join("").length;
    field.setSelectionRange(from, to);
});
EM_JS(void, stakora_js_set_caption, (const char* id, const char* text),
      { document.getElementById(UTF8ToString(id)).textContent = UTF8ToString(text); });
EM_JS(void, stakora_js_focus, (const char* id), { Module.stakoraPage.focus(UTF8ToString(id)); });
EM_JS(void, stakora_js_send_tab, (), { Module.stakoraPage.queueTab(); });
// Both hold the running handler, the page going on meanwhile (Asyncify): until the cell has
// been painted, and until the box is dismissed.
EM_JS(void, stakora_js_paint, (),
      { Asyncify.handleSleep(function(wakeUp) { Module.stakoraPage.afterPaint(wakeUp); }); });
EM_JS(void, stakora_js_message_box, (const char* prompt, const char* title), {
    const text = UTF8ToString(prompt);
    const caption = UTF8ToString(title);
    Asyncify.handleSleep(
        function(wakeUp) { Module.stakoraPage.messageBox(text, caption, wakeUp); });
});
// The outcome of a command, into the page's status region: a screen reader says it when it has
// finished what it is saying. The same text again is still a change, and said again.
EM_JS(void, stakora_js_announce, (const char* text), {
    const region = document.getElementById("announce");
    const said = UTF8ToString(text);
    region.textContent = region.textContent != said ? said : said + "\u00a0";
});
// The same box, shown without holding the running handler: for a handler that the page calls
// synchronously (a key filter, a focus), which must answer at once.
EM_JS(void, stakora_js_show_box, (const char* prompt, const char* title),
      { Module.stakoraPage.messageBox(UTF8ToString(prompt), UTF8ToString(title), function(){}); });

namespace stakora::web {

namespace {

std::string idOf(ControlRef ref) {
    return layoutOf(ref).id();
}

std::unique_ptr<MainWindow> handlers;
WebWindowPort* page = nullptr;

enum Event { ElaboraClick, ClearClick, PremioKeyPress, PuntataGotFocus, PuntataKeyPress };

}  // namespace

WebWindowPort::WebWindowPort() = default;

std::string WebWindowPort::text(ControlRef box) const {
    if (!isTextBox(box.control)) {
        throw std::out_of_range("not a text box: " + nameOf(box));
    }
    char* text = stakora_js_text(idOf(box).c_str());
    std::string result(text);
    std::free(text);
    return result;
}

void WebWindowPort::setText(ControlRef box, const std::string& text) {
    stakora_js_set_text(idOf(box).c_str(), text.c_str());
}

void WebWindowPort::select(ControlRef box, int start, int length) {
    stakora_js_select(idOf(box).c_str(), start, length);
}

void WebWindowPort::setCaption(ControlRef label, const std::string& caption) {
    stakora_js_set_caption(idOf(label).c_str(), caption.c_str());
}

// The browser paints once a frame. A cell written less than a frame after the last paint is
// painted with the next one, as it would be anyway; a handler that has run for a frame lets
// the browser paint before it goes on, so slow work still shows row by row.
void WebWindowPort::refresh(ControlRef) {
    constexpr double kFrameMs = 1000.0 / 60.0;
    if (!synchronous_ && emscripten_get_now() - lastPaint_ >= kFrameMs) {
        stakora_js_paint();
        lastPaint_ = emscripten_get_now();
    }
}

bool WebWindowPort::setFocus(ControlRef control) {
    stakora_js_focus(idOf(control).c_str());  // its focus event raises GotFocus
    return true;
}

void WebWindowPort::sendTab() {
    stakora_js_send_tab();
}

void WebWindowPort::messageBox(const std::string& prompt, const std::string& title) {
    if (synchronous_) {
        stakora_js_show_box(prompt.c_str(), title.c_str());
    } else {
        stakora_js_message_box(prompt.c_str(), title.c_str());
    }
}

void WebWindowPort::announce(const std::string& text) {
    stakora_js_announce(text.c_str());
}

// The handlers guard themselves, so nothing unwinds into the page from here.
int WebWindowPort::dispatch(int event, int index, int code) {
    if (events_ == nullptr) {
        return code;
    }
    lastPaint_ = emscripten_get_now();  // the page was idle, so up to date, until this event
    // Only the clicks are called asynchronously; the page needs the others' answers at once,
    // including a focus event raised from inside a click's handler.
    const bool outer = std::exchange(synchronous_, event != ElaboraClick && event != ClearClick);
    int answer = 0;
    switch (event) {
        case ElaboraClick:
            events_->onElaboraClick();
            break;
        case ClearClick:
            events_->onClearClick();
            break;
        case PremioKeyPress:
            answer = events_->onPremioKeyPress(code);
            break;
        case PuntataGotFocus:
            events_->onPuntataGotFocus(index,
                                       code == 0 ? FocusCause::Entered : FocusCause::Returned);
            break;
        case PuntataKeyPress:
            answer = events_->onPuntataKeyPress(index, code);
            break;
        default:
            answer = code;
    }
    synchronous_ = outer;
    return answer;
}

void start() {
    try {
        auto port = std::make_unique<WebWindowPort>();
        page = port.get();
        handlers = std::make_unique<MainWindow>(std::move(port));
    } catch (...) {
        page = nullptr;
        logUnexpectedFailure("the start of the program");
        stakora_js_show_box(unexpectedFailureMessage(Interrupted::NotStarted).c_str(), kAppTitle);
    }
}

}  // namespace stakora::web

// The page could not hand an action of the player's to the program: told in the program's box.
extern "C" EMSCRIPTEN_KEEPALIVE void stakora_report_failure() {
    stakora_js_show_box(
        stakora::unexpectedFailureMessage(stakora::Interrupted::NothingChanged).c_str(),
        stakora::kAppTitle);
}

extern "C" EMSCRIPTEN_KEEPALIVE int stakora_event(int event, int index, int code) {
    return stakora::web::page != nullptr ? stakora::web::page->dispatch(event, index, code) : code;
}
