// The designed look of the window as data: every control's container, place and size in twips,
// tab index, fixed text and look. Built into widgets once at start-up, never rearranged.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "form_model.h"

namespace stakora {

inline constexpr int kNotArray = -1;
inline constexpr int kNoTabIndex = -1;
inline constexpr int kTwipsPerPixel = 15;  // at 96 dots per inch
inline constexpr int kTwipsPerInch = 1440;

enum class ControlKind { Frame, Label, TextBox, Button, Picture };
enum class Align { Left, Center, Right };

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct ControlLayout {
    std::string_view name;  // "txtPuntata", "Label1", "Frame4"
    int index = kNotArray;  // member of a control array
    ControlKind kind = ControlKind::Label;
    std::string_view container;  // id of the enclosing frame; empty for the window itself
    int left = 0, top = 0, width = 0, height = 0;  // twips, from the container's top left
    int tabIndex = kNoTabIndex;
    std::string_view text;
    Align align = Align::Left;
    std::optional<Rgb> background;  // empty: the toolkit's default
    std::optional<Rgb> foreground;
    // Where the user asks the system for more contrast, and an edition can follow it: colours
    // that reach 4.5:1 where the designed ones do not.
    std::optional<Rgb> contrastBackground;
    std::optional<Rgb> contrastForeground;
    double fontPoints = 0;      // 0: the window font
    bool border = false;        // single-line border around a label
    std::string_view resource;  // picture file, for a Picture

    // "txtPuntata(3)", "Frame1(0)", "Frame4"
    std::string id() const;
    // The handlers' name for it, for a control they use.
    std::optional<ControlRef> ref() const;
};

struct WindowLayout {
    std::string_view name = "frmAmain";
    std::string_view caption;
    int width = 0, height = 0;  // client area, twips
    Rgb background;
    double fontPoints = 0;
    std::string_view icon;
};

const WindowLayout& windowLayout();
// Containers come before what they contain.
const std::vector<ControlLayout>& formLayout();
const ControlLayout& layoutOf(ControlRef ref);
// The frame a control stands in; null for one placed on the window itself.
const ControlLayout* containerOf(const ControlLayout& control);

struct PixelPoint {
    int x = 0, y = 0;
};
// Where a control stands in the window's client area at DPI dots per inch: its container's
// place plus its own, each rounded to whole pixels, as a toolkit places a child in its parent.
PixelPoint placeInWindow(const ControlLayout& control, int dpi = kTwipsPerInch / kTwipsPerPixel);

// The controls that take the focus, in tab order; Tab from the last returns to the first.
const std::vector<ControlRef>& focusOrder();

// What assistive technology says of the controls, the same in every edition. A text box is
// named after the heading it stands under or beside ("Puntata 3", "PREMIO V.L.P"); a result
// cell keeps its caption as its name, so its value is what is read, and is described by its
// column and row ("Spesa 3").
std::string accessibleName(ControlRef box);
std::string cellDescription(ControlRef cell);

// The window font's family first, then the humanist sans families of similar proportions to
// try, in order, where it is missing, so the designed sizes hold the same texts.
std::span<const std::string_view> fontFamilies();

// A picture's file name without the resource prefix (":/footer.jpg" gives "footer.jpg"), and
// the name of its twice-as-large drawing for screens with smaller pixels ("footer@2x.jpg");
// empty for a name without an extension, which has only its plain drawing.
std::string_view pictureFile(std::string_view resource);
std::string sharpPictureName(std::string_view name);

// Twips to pixels on a screen of DPI dots per inch, to the nearest pixel.
constexpr int toPixels(int twips, int dpi) {
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}
constexpr int toPixels(int twips) {
    return toPixels(twips, kTwipsPerInch / kTwipsPerPixel);
}

}  // namespace stakora
