#include "web_markup.h"

#include <sstream>

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

// Place, size, colours and font of a control, in CSS pixels at 96 dpi.
std::string rule(const ControlLayout& c) {
    std::ostringstream s;
    s << selector(c.id()) << "{left:" << toPixels(c.left) << "px;top:" << toPixels(c.top)
      << "px;width:" << toPixels(c.width) << "px;height:" << toPixels(c.height) << "px";
    if (c.background) {
        s << ";background:" << css(*c.background);
    }
    if (c.foreground) {
        s << ";color:" << css(*c.foreground);
    }
    if (c.fontPoints > 0) {
        s << ";font-size:" << c.fontPoints << "pt";
    }
    if (c.align != Align::Center && c.kind == ControlKind::Label) {
        s << ";justify-content:" << (c.align == Align::Right ? "flex-end" : "flex-start");
    }
    s << "}\n";
    return s.str();
}

class Writer {
  public:
    std::ostringstream& out() { return out_; }

    // A control and, for a container, what it holds; the grid's rows as an ARIA table.
    void control(const ControlLayout& c) {
        const std::string id = c.id();
        const std::optional<ControlRef> ref = c.ref();
        const std::string attributes = " id=\"" + escaped(id) + "\" class=\"" + kind(c.kind) +
                                       (c.border ? " cell" : "") + "\"";
        switch (c.kind) {
            case ControlKind::Frame:
                out_ << "<div" << attributes << ">";
                contents(id);
                out_ << "</div>";
                break;
            case ControlKind::Label: {
                std::string role;
                if (ref && isLabel(ref->control)) {
                    // The text is the value; the column and row are its description.
                    role = " role=\"cell\" aria-description=\"" + escaped(cellDescription(*ref)) +
                           "\"";
                } else if (c.container == "Frame4") {
                    role = " role=\"columnheader\"";
                }
                out_ << "<div" << attributes << role << ">" << escaped(c.text) << "</div>";
                break;
            }
            case ControlKind::TextBox: {
                const bool inGrid = ref->control == Control::txtPuntata;
                out_ << (inGrid ? "<div role=\"cell\" class=\"row\">" : "") << "<input"
                     << attributes << " type=\"text\" inputmode=\"decimal\" autocomplete=\"off\""
                     << " spellcheck=\"false\" tabindex=\"" << tabIndex(*ref) << "\" aria-label=\""
                     << escaped(accessibleName(*ref)) << "\" value=\"" << escaped(c.text) << "\">"
                     << (inGrid ? "</div>" : "");
                break;
            }
            case ControlKind::Button:
                out_ << "<button" << attributes << " type=\"button\" tabindex=\"" << tabIndex(*ref)
                     << "\">" << escaped(c.text) << "</button>";
                break;
            case ControlKind::Picture: {
                // The twice-as-large drawing, where there is one, for smaller pixels.
                const std::string_view file = pictureFile(c.resource);
                out_ << "<img" << attributes << " src=\"" << escaped(file) << "\"";
                if (const std::string sharp = sharpPictureName(file); !sharp.empty()) {
                    out_ << " srcset=\"" << escaped(sharp) << " 2x\"";
                }
                out_ << " alt=\"\">";
                break;
            }
        }
    }

  private:
    // The focus order of the design, as the page's tab order.
    static int tabIndex(ControlRef ref) {
        const auto& order = focusOrder();
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (order[i] == ref) {
                return static_cast<int>(i) + 1;
            }
        }
        return 0;
    }

    void contents(const std::string& container) {
        if (container != "Frame4") {
            for (const ControlLayout& c : formLayout()) {
                if (c.container == container) {
                    control(c);
                }
            }
            return;
        }
        out_ << "<div role=\"table\" class=\"row\" aria-label=\"Piano delle puntate\">"
             << "<div role=\"row\" class=\"row\">";
        for (const ControlLayout& c : formLayout()) {
            if (c.container == container && !c.ref()) {
                control(c);
            }
        }
        out_ << "</div>";
        for (int row = 1; row <= ROW_COUNT; ++row) {
            out_ << "<div role=\"row\" class=\"row\">";
            for (const ControlLayout& c : formLayout()) {
                if (c.container == container && c.ref() && c.ref()->index == row) {
                    control(c);
                }
            }
            out_ << "</div>";
        }
        out_ << "</div>";
    }

    std::ostringstream out_;
};

}  // namespace

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
    writer.out() << "<div id=\"" << window.name << "\" class=\"window\"><div class=\"caption\">"
                 << "<img src=\"stakora-32.png\" alt=\"\" width=\"16\" height=\"16\">"
                 << "<span>" << escaped(window.caption) << "</span></div><div class=\"client\">";
    for (const ControlLayout& c : formLayout()) {
        if (c.container.empty()) {
            writer.control(c);
        }
    }
    writer.out() << "</div></div>";
    return writer.out().str();
}

std::string windowStylesheet() {
    const WindowLayout& window = windowLayout();
    std::ostringstream s;
    s << ".window{width:" << toPixels(window.width) << "px}\n"
      << ".client{width:" << toPixels(window.width) << "px;height:" << toPixels(window.height)
      << "px;background:" << css(window.background) << ";font-size:" << window.fontPoints
      << "pt}\n";
    for (const ControlLayout& c : formLayout()) {
        s << rule(c);
    }
    return s.str();
}

}  // namespace stakora::web
