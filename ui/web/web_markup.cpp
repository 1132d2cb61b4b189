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

// Place, size, colours and font of a control, in CSS pixels at 96 dpi.
std::string style(const ControlLayout& c) {
    std::ostringstream s;
    s << "left:" << toPixels(c.left) << "px;top:" << toPixels(c.top)
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
                                       (c.border ? " cell" : "") + "\" style=\"" + style(c) + "\"";
        switch (c.kind) {
            case ControlKind::Frame:
                out_ << "<div" << attributes << ">";
                contents(id);
                out_ << "</div>";
                break;
            case ControlKind::Label: {
                std::string role;
                if (ref && isLabel(ref->control)) {
                    static const char* const kColumns[] = {"Spesa", "Vincita", "Utile"};
                    const int column =
                        static_cast<int>(ref->control) - static_cast<int>(Control::lblSpesa);
                    // The text is the value; the column and row are its description.
                    role = " role=\"cell\" aria-description=\"" + std::string(kColumns[column]) +
                           " " + std::to_string(ref->index) + "\"";
                } else if (c.container == "Frame4") {
                    role = " role=\"columnheader\"";
                }
                out_ << "<div" << attributes << role << ">" << escaped(c.text) << "</div>";
                break;
            }
            case ControlKind::TextBox: {
                const std::string name = ref->control == Control::txtPremio
                                             ? "PREMIO V.L.P"
                                             : "Puntata " + std::to_string(ref->index);
                const bool inGrid = ref->control == Control::txtPuntata;
                out_ << (inGrid ? "<div role=\"cell\" class=\"row\">" : "") << "<input"
                     << attributes << " type=\"text\" inputmode=\"decimal\" autocomplete=\"off\""
                     << " spellcheck=\"false\" tabindex=\"" << tabIndex(*ref) << "\" aria-label=\""
                     << escaped(name) << "\" value=\"" << escaped(c.text) << "\">"
                     << (inGrid ? "</div>" : "");
                break;
            }
            case ControlKind::Button:
                out_ << "<button" << attributes << " type=\"button\" tabindex=\"" << tabIndex(*ref)
                     << "\">" << escaped(c.text) << "</button>";
                break;
            case ControlKind::Picture: {
                // "footer.jpg" beside "footer@2x.jpg" for screens with smaller pixels.
                const std::string file(c.resource.substr(c.resource.rfind('/') + 1));
                const std::size_t dot = file.rfind('.');
                out_ << "<img" << attributes << " src=\"" << file << "\" srcset=\""
                     << file.substr(0, dot) << "@2x" << file.substr(dot) << " 2x\" alt=\"\">";
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

std::string windowMarkup() {
    const WindowLayout& window = windowLayout();
    Writer writer;
    writer.out() << "<div id=\"" << window.name
                 << "\" class=\"window\" style=\"width:" << toPixels(window.width)
                 << "px\"><div class=\"caption\">"
                 << "<img src=\"stakora-32.png\" alt=\"\" width=\"16\" height=\"16\">"
                 << "<span>" << escaped(window.caption) << "</span></div>"
                 << "<div class=\"client\" style=\"width:" << toPixels(window.width)
                 << "px;height:" << toPixels(window.height)
                 << "px;background:" << css(window.background) << ";font-size:" << window.fontPoints
                 << "pt\">";
    for (const ControlLayout& c : formLayout()) {
        if (c.container.empty()) {
            writer.control(c);
        }
    }
    writer.out() << "</div></div>";
    return writer.out().str();
}

}  // namespace stakora::web
