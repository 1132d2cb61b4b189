#include "web_markup.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

#include "form_layout.h"

namespace stakora::web {

namespace {

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string css(const Rgb& rgb) {
    return "rgb(" + std::to_string(rgb.r) + "," + std::to_string(rgb.g) + "," +
           std::to_string(rgb.b) + ")";
}

const char* kind(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame:
            return "frame";
        case ControlKind::Label:
            return "label";
        case ControlKind::TextBox:
            return "textbox";
        case ControlKind::Button:
            return "button";
        case ControlKind::Picture:
            return "picture";
    }
    return "";
}

// A control's id as a CSS selector: "txtPuntata(3)" is #txtPuntata\(3\).
std::string selector(const std::string& id) {
    std::string out = "#";
    for (char c : id) {
        if (c == '(' || c == ')') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

// The top-level item a control stands in: the frame it is in, or itself.
const ControlLayout& outermost(const ControlLayout& c) {
    const ControlLayout* container = containerOf(c);
    return container != nullptr ? outermost(*container) : c;
}

bool inGrid(const ControlLayout& c) {
    return c.container == "Frame4";
}

// The controls outside the grid, in the order of the design's tab indices: the page's tab
// order, and the order a screen reader reads them in. The picture has none and comes last.
std::vector<const ControlLayout*> outsideGrid() {
    std::vector<const ControlLayout*> controls;
    for (const ControlLayout& c : formLayout()) {
        if (c.kind != ControlKind::Frame && !inGrid(c)) {
            controls.push_back(&c);
        }
    }
    std::stable_sort(controls.begin(), controls.end(), [](auto* a, auto* b) {
        const auto key = [](const ControlLayout* c) {
            return c->tabIndex == kNoTabIndex ? 1'000'000 : c->tabIndex;
        };
        return key(a) < key(b);
    });
    return controls;
}

// What every form of the page shows the same: colours and alignment.
std::string looks(const ControlLayout& c) {
    std::ostringstream s;
    if (c.background) {
        s << "background:" << css(*c.background) << ";";
    }
    if (c.foreground) {
        s << "color:" << css(*c.foreground) << ";";
    }
    if (c.align != Align::Center && c.kind == ControlKind::Label) {
        s << "justify-content:" << (c.align == Align::Right ? "flex-end" : "flex-start") << ";";
    }
    const std::string out = s.str();
    return out.empty() ? "" : selector(c.id()) + "{" + out + "}\n";
}

// The designed window: every control at its place and size, in CSS pixels at 96 dpi, in its
// designed font size. Every control is written at the window's level (the page's tab order is
// the order of the markup, which nesting in frames could not give), so it is placed in the window.
std::string place(const ControlLayout& c) {
    const auto [left, top] = placeInWindow(c);
    std::ostringstream s;
    s << selector(c.id()) << "{left:" << left << "px;top:" << top
      << "px;width:" << toPixels(c.width) << "px;height:" << toPixels(c.height) << "px";
    if (c.fontPoints > 0) {
        s << ";font-size:" << c.fontPoints << "pt";
    }
    s << "}\n";
    return s.str();
}

// The touch form: the grid spans the page; the other controls stand in bands below it, one band
// for each frame or free-standing row of the design, side by side in the design's order.
std::string bands() {
    std::map<int, std::vector<const ControlLayout*>> byTop;  // band by the outermost item's top
    for (const ControlLayout* c : outsideGrid()) {
        byTop[outermost(*c).top].push_back(c);
    }
    std::ostringstream s;
    int band = 2;  // the grid is the first
    for (auto& [top, members] : byTop) {
        std::sort(members.begin(), members.end(),
                  [](auto* a, auto* b) { return placeInWindow(*a).x < placeInWindow(*b).x; });
        for (std::size_t i = 0; i < members.size(); ++i) {
            s << selector(members[i]->id()) << "{grid-row:" << band << ";grid-column:"
              << (members.size() == 1 ? std::string("1/-1") : std::to_string(i + 1)) << "}\n";
        }
        ++band;
    }
    return s.str();
}

class Writer {
  public:
    std::ostringstream& out() { return out_; }

    void control(const ControlLayout& c) {
        const std::string id = c.id();
        const std::optional<ControlRef> ref = c.ref();
        const std::string attributes = " id=\"" + escaped(id) + "\" class=\"" + kind(c.kind) +
                                       (c.border ? " cell" : "") + "\"";
        switch (c.kind) {
            case ControlKind::Frame:
                out_ << "<div" << attributes << " aria-hidden=\"true\"></div>";
                break;
            case ControlKind::Label: {
                std::string role;
                if (ref && isLabel(ref->control)) {
                    // The text is the value; the column and row are its description.
                    role = " role=\"cell\" aria-description=\"" + escaped(cellDescription(*ref)) +
                           "\"";
                } else if (inGrid(c)) {
                    role = " role=\"columnheader\"";
                }
                out_ << "<div" << attributes << role << ">" << escaped(c.text) << "</div>";
                break;
            }
            case ControlKind::TextBox: {
                const bool stake = ref->control == Control::txtPuntata;
                // The window opens in its first control, from the first paint on, before the
                // program has loaded: a screen reader then starts in the field, ready for
                // typing, instead of reading the page aloud and taking keys as its commands.
                const bool first = *ref == focusOrder().front();
                // Enter on a stake walks down the column: the keypad's key says so.
                out_ << (stake ? "<div role=\"cell\" class=\"flat\">" : "") << "<input"
                     << attributes << (first ? " autofocus" : "")
                     << " type=\"text\" inputmode=\"decimal\" autocomplete=\"off\""
                     << " spellcheck=\"false\"" << (stake ? " enterkeyhint=\"next\"" : "")
                     << " aria-label=\"" << escaped(accessibleName(*ref)) << "\" value=\""
                     << escaped(c.text) << "\">" << (stake ? "</div>" : "");
                break;
            }
            case ControlKind::Button:
                out_ << "<button" << attributes << " type=\"button\">" << escaped(c.text)
                     << "</button>";
                break;
            case ControlKind::Picture: {
                // The twice-as-large drawing, where there is one, for smaller pixels.
                const std::string_view file = pictureFile(c.resource);
                out_ << "<img" << attributes << " src=\"" << escaped(file) << "\"";
                if (const std::string sharp = sharpPictureName(file); !sharp.empty()) {
                    out_ << " srcset=\"" << escaped(sharp) << " 2x\"";
                }
                out_ << " width=\"" << toPixels(c.width) << "\" height=\"" << toPixels(c.height)
                     << "\" alt=\"\">";
                break;
            }
        }
    }

    // The grid as an ARIA table: the headings' row, then one row a stake.
    void grid() {
        out_ << "<div role=\"table\" class=\"flat grid\" aria-label=\"Piano delle puntate\">"
             << "<div role=\"row\" class=\"flat\">";
        for (const ControlLayout& c : formLayout()) {
            if (inGrid(c) && !c.ref()) {
                control(c);
            }
        }
        out_ << "</div>";
        for (int row = 1; row <= ROW_COUNT; ++row) {
            out_ << "<div role=\"row\" class=\"flat\">";
            for (const ControlLayout& c : formLayout()) {
                if (inGrid(c) && c.ref() && c.ref()->index == row) {
                    control(c);
                }
            }
            out_ << "</div>";
        }
        out_ << "</div>";
    }

  private:
    std::ostringstream out_;
};

}  // namespace

std::string desktopForm() {
    const std::string wide = "(min-width:" + std::to_string(toPixels(windowLayout().width)) + "px)";
    return "(pointer:fine) and " + wide + ",(pointer:none) and " + wide;
}

std::string touchForm() {
    return "(pointer:coarse),(max-width:" + std::to_string(toPixels(windowLayout().width) - 1) +
           "px)";
}

std::string cssFontFamilies() {
    std::string families;
    for (std::string_view family : fontFamilies()) {
        families += (family.find(' ') != family.npos ? "\"" + std::string(family) + "\""
                                                     : std::string(family)) +
                    ", ";
    }
    return families + "sans-serif";
}

std::string windowMarkup() {
    const WindowLayout& window = windowLayout();
    Writer writer;
    writer.out() << "<div id=\"" << window.name << "\" class=\"window\"><h1 class=\"caption\">"
                 << "<img src=\"stakora-32.png\" alt=\"\" width=\"16\" height=\"16\">"
                 << "<span>" << escaped(window.caption) << "</span></h1><div class=\"client\">";
    for (const ControlLayout& c : formLayout()) {
        if (c.kind == ControlKind::Frame) {
            writer.control(c);  // drawn first, under what they frame
        }
    }
    writer.grid();
    for (const ControlLayout* c : outsideGrid()) {
        writer.control(*c);
    }
    writer.out() << "</div></div>";
    return writer.out().str();
}

std::string windowStylesheet() {
    const WindowLayout& window = windowLayout();
    const int width = toPixels(window.width);
    std::ostringstream s;
    s << ".client{background:" << css(window.background) << "}\n";
    for (const ControlLayout& c : formLayout()) {
        s << looks(c);
    }
    s << "@media " << desktopForm() << "{\n"
      << ".window{--form:desktop;width:" << width << "px}\n"
      << ".client{width:" << width << "px;height:" << toPixels(window.height)
      << "px;font-size:" << window.fontPoints << "pt}\n";
    for (const ControlLayout& c : formLayout()) {
        s << place(c);
    }
    s << "}\n@media " << touchForm() << "{\n"
      << ".window{--form:touch}\n"
      << bands() << "}\n";
    // Where the user asks for more contrast, in every form.
    s << "@media (prefers-contrast:more){\n";
    for (const ControlLayout& c : formLayout()) {
        if (c.contrastBackground || c.contrastForeground) {
            s << selector(c.id()) << "{";
            if (c.contrastBackground) {
                s << "background:" << css(*c.contrastBackground) << ";";
            }
            if (c.contrastForeground) {
                s << "color:" << css(*c.contrastForeground) << ";";
            }
            s << "}\n";
        }
    }
    s << "}\n";
    return s.str();
}

std::string windowGeometry() {
    std::ostringstream s;
    s << "{";
    const char* separator = "";
    for (const ControlLayout& c : formLayout()) {
        const auto [left, top] = placeInWindow(c);
        s << separator << "\"" << c.id() << "\":[" << left << "," << top << "," << toPixels(c.width)
          << "," << toPixels(c.height) << "]";
        separator = ",";
    }
    s << "}\n";
    return s.str();
}

}  // namespace stakora::web
