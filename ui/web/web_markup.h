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

// The window font's families as a CSS font-family list, ending with the generic sans-serif.
std::string cssFontFamilies();

}  // namespace stakora::web
