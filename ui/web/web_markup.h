// The window as HTML, from the layout data: every control at its designed place, size, colours
// and font, the grid as an ARIA table. Written into the page when it is built, so that the
// window shows before the program has loaded; the program then takes it over.
#pragma once

#include <string>

namespace stakora::web {

std::string windowMarkup();

// The window font's families as a CSS font-family list, ending with the generic sans-serif.
std::string cssFontFamilies();

}  // namespace stakora::web
