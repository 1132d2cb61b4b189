// The window as HTML, from the layout data: every control, the grid as an ARIA table; and its
// stylesheet, every control at its designed place, size, colours and font. Both are written
// into the site when it is built, so that the window shows before the program has loaded (the
// program then takes it over), and so that the page needs no inline style, which a strict
// Content-Security-Policy forbids.
#pragma once

#include <string>

namespace stakora::web {

std::string windowMarkup();
std::string windowStylesheet();
// Where the designed window puts each control, as JSON: id to [left, top, width, height] in
// CSS pixels from the client area's top left. For the tests of the page.
std::string windowGeometry();

// The media queries of the page's two forms: the designed window, where it fits and a mouse or
// pen points; the touch form, for a finger or a screen narrower than the window.
std::string desktopForm();
std::string touchForm();

// The window font's families as a CSS font-family list, ending with the generic sans-serif.
std::string cssFontFamilies();

}  // namespace stakora::web
