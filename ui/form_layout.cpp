#include "form_layout.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace stakora {

namespace {

constexpr Rgb kGrey{192, 192, 192};
constexpr Rgb kHeadingText{64, 64, 64};
constexpr Rgb kCell{245, 245, 245};
constexpr Rgb kButtonFace{224, 224, 224};
constexpr double kCellPoints = 9;

// The grid's column headings, left to right, and the prize's; the text boxes and the result
// cells are named after them.
constexpr std::array<std::string_view, 4> kColumnTitles = {"Puntata", "Spesa", "Vincita", "Utile"};
constexpr std::string_view kPrizeTitle = "PREMIO V.L.P";

constexpr std::array<std::string_view, 6> kFontFamilies = {"Segoe UI",  "Selawik",     "Open Sans",
                                                           "Noto Sans", "DejaVu Sans", "Tahoma"};

ControlLayout heading(std::string_view container, int index, int left, int top, int width,
                      int tabIndex, std::string_view text, Align align = Align::Center) {
    return {.name = "Label1",
            .index = index,
            .kind = ControlKind::Label,
            .container = container,
            .left = left,
            .top = top,
            .width = width,
            .height = 255,
            .tabIndex = tabIndex,
            .text = text,
            .align = align,
            .background = kGrey,
            .foreground = kHeadingText};
}

ControlLayout frame(std::string_view name, int index, int left, int top, int width, int height,
                    int tabIndex) {
    return {.name = name,
            .index = index,
            .kind = ControlKind::Frame,
            .left = left,
            .top = top,
            .width = width,
            .height = height,
            .tabIndex = tabIndex,
            .background = kGrey};
}

ControlLayout button(std::string_view name, int left, int top, int width, int height, int tabIndex,
                     std::string_view text) {
    return {.name = name,
            .kind = ControlKind::Button,
            .container = "Frame1(1)",
            .left = left,
            .top = top,
            .width = width,
            .height = height,
            .tabIndex = tabIndex,
            .text = text,
            .align = Align::Center,
            .background = kButtonFace,
            .fontPoints = kCellPoints};
}

// One row of the grid. The win and profit cells sit 15 twips higher than the stake field and
// the spend cell, as designed.
void addRow(std::vector<ControlLayout>& layout, int i) {
    const int top = 615 + 360 * (i - 1);
    const ControlLayout cell{.kind = ControlKind::Label,
                             .container = "Frame4",
                             .height = 315,
                             .align = Align::Center,
                             .background = kCell,
                             .fontPoints = kCellPoints,
                             .border = true};
    layout.push_back({.name = "txtPuntata",
                      .index = i,
                      .kind = ControlKind::TextBox,
                      .container = "Frame4",
                      .left = 330,
                      .top = top,
                      .width = 825,
                      .height = 330,
                      .tabIndex = i - 1,
                      .align = Align::Center,
                      .fontPoints = kCellPoints});
    ControlLayout spesa = cell;
    spesa.name = "lblSpesa";
    spesa.left = 1230;
    spesa.top = top;
    spesa.width = 1095;
    spesa.tabIndex = 31 - i;
    spesa.foreground = Rgb{192, 0, 0};
    ControlLayout vincita = cell;
    vincita.name = "lblVincita";
    vincita.left = 2385;
    vincita.top = top - 15;
    vincita.width = 1305;
    vincita.tabIndex = 30 + i;
    ControlLayout utile = vincita;
    utile.name = "lblUtile";
    utile.left = 3735;
    utile.tabIndex = 45 + i;
    utile.background = Rgb{122, 152, 184};
    utile.foreground = Rgb{255, 255, 255};
    utile.contrastBackground = Rgb{84, 110, 140};  // 5.3:1 for the white text
    for (ControlLayout* member : {&spesa, &vincita, &utile}) {
        member->index = i;
        layout.push_back(*member);
    }
}

std::vector<ControlLayout> buildLayout() {
    std::vector<ControlLayout> layout;
    layout.push_back(frame("Frame4", kNotArray, 330, 240, 5295, 6225, 15));
    layout.push_back(heading("Frame4", 1, 270, 270, 945, 68, kColumnTitles[0]));
    layout.push_back(heading("Frame4", 4, 1320, 270, 945, 69, kColumnTitles[1]));
    layout.push_back(heading("Frame4", 5, 2550, 270, 945, 70, kColumnTitles[2]));
    layout.push_back(heading("Frame4", 6, 3870, 270, 945, 71, kColumnTitles[3]));
    for (int i = 1; i <= ROW_COUNT; ++i) {
        addRow(layout, i);
    }
    layout.push_back(frame("Frame1", 0, 330, 6510, 5310, 765, 63));
    layout.push_back(heading("Frame1(0)", 0, 780, 360, 1455, 65, kPrizeTitle, Align::Right));
    layout.push_back({.name = "txtPremio",
                      .kind = ControlKind::TextBox,
                      .container = "Frame1(0)",
                      .left = 2610,
                      .top = 240,
                      .width = 1425,
                      .height = 375,
                      .tabIndex = 64,
                      .text = kDefaultPrizeText,
                      .align = Align::Center,
                      .background = Rgb{24, 120, 137},
                      // White on a darker teal, 8.5:1; the designed black on teal is 4.1:1.
                      .contrastBackground = Rgb{16, 84, 96},
                      .contrastForeground = Rgb{255, 255, 255},
                      .fontPoints = 12});
    layout.push_back(frame("Frame1", 1, 330, 7290, 5310, 765, 61));
    layout.push_back(button("cmdClear", 240, 270, 1140, 345, 66, "Cancella"));
    layout.push_back(button("cmdElabora", 1650, 240, 3450, 435, 62, "ELABORA"));
    layout.push_back({.name = "Image1",
                      .kind = ControlKind::Picture,
                      .left = 390,
                      .top = 8220,
                      .width = 2340,
                      .height = 240,
                      .resource = ":/footer.jpg"});
    layout.push_back(heading("", 3, 3390, 8220, 2145, 67, "FREEWARE VERSION"));
    return layout;
}

}  // namespace

std::string ControlLayout::id() const {
    std::string id(name);
    if (index != kNotArray) {
        id += "(" + std::to_string(index) + ")";
    }
    return id;
}

std::optional<ControlRef> ControlLayout::ref() const {
    static constexpr std::array<std::pair<std::string_view, Control>, 7> kHandled = {{
        {"txtPremio", Control::txtPremio},
        {"txtPuntata", Control::txtPuntata},
        {"lblSpesa", Control::lblSpesa},
        {"lblVincita", Control::lblVincita},
        {"lblUtile", Control::lblUtile},
        {"cmdElabora", Control::cmdElabora},
        {"cmdClear", Control::cmdClear},
    }};
    for (const auto& [handledName, control] : kHandled) {
        if (handledName == name) {
            return ControlRef{control, index == kNotArray ? 0 : index};
        }
    }
    return std::nullopt;
}

const WindowLayout& windowLayout() {
    static const WindowLayout window{.caption = "  STAKORA DI GIOCO",
                                     .width = 5955,
                                     .height = 8625,
                                     .background = kGrey,
                                     .fontPoints = 8.25,
                                     .icon = ":/stakora.png"};
    return window;
}

const std::vector<ControlLayout>& formLayout() {
    static const std::vector<ControlLayout> layout = buildLayout();
    return layout;
}

const ControlLayout& layoutOf(ControlRef ref) {
    for (const ControlLayout& control : formLayout()) {
        if (control.ref() == ref) {
            return control;
        }
    }
    throw std::out_of_range("no layout for " + nameOf(ref));
}

const ControlLayout* containerOf(const ControlLayout& control) {
    if (control.container.empty()) {
        return nullptr;
    }
    for (const ControlLayout& other : formLayout()) {
        if (other.id() == control.container) {
            return &other;
        }
    }
    throw std::out_of_range("no container " + std::string(control.container));
}

PixelPoint placeInWindow(const ControlLayout& control, int dpi) {
    const ControlLayout* container = containerOf(control);
    const PixelPoint outer = container != nullptr ? placeInWindow(*container, dpi) : PixelPoint{};
    return {outer.x + toPixels(control.left, dpi), outer.y + toPixels(control.top, dpi)};
}

const std::vector<ControlRef>& focusOrder() {
    static const std::vector<ControlRef> order = [] {
        std::vector<const ControlLayout*> focusable;
        for (const ControlLayout& control : formLayout()) {
            if (control.kind == ControlKind::TextBox || control.kind == ControlKind::Button) {
                focusable.push_back(&control);
            }
        }
        std::sort(focusable.begin(), focusable.end(),
                  [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
        std::vector<ControlRef> refs;
        for (const ControlLayout* control : focusable) {
            refs.push_back(*control->ref());
        }
        return refs;
    }();
    return order;
}

std::string accessibleName(ControlRef box) {
    if (box.control == Control::txtPremio) {
        return std::string(kPrizeTitle);
    }
    if (box.control != Control::txtPuntata || !isValid(box)) {
        throw std::out_of_range("not a text box: " + nameOf(box));
    }
    return std::string(kColumnTitles[0]) + " " + std::to_string(box.index);
}

std::string cellDescription(ControlRef cell) {
    if (!isLabel(cell.control) || !isValid(cell)) {
        throw std::out_of_range("not a result cell: " + nameOf(cell));
    }
    const auto column =
        1 + static_cast<std::size_t>(cell.control) - static_cast<std::size_t>(Control::lblSpesa);
    return std::string(kColumnTitles.at(column)) + " " + std::to_string(cell.index);
}

std::span<const std::string_view> fontFamilies() {
    return kFontFamilies;
}

std::string_view pictureFile(std::string_view resource) {
    const std::size_t slash = resource.rfind('/');
    return slash == resource.npos ? resource : resource.substr(slash + 1);
}

std::string sharpPictureName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.rfind('/');
    if (dot == name.npos || (slash != name.npos && dot < slash)) {
        return {};
    }
    return std::string(name.substr(0, dot)) + "@2x" + std::string(name.substr(dot));
}

}  // namespace stakora
