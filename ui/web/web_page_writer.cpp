// Writes the page and its stylesheet from their templates: the window's markup in place of
// @STAKORA_WINDOW@, its places, sizes and colours in place of @STAKORA_LAYOUT@, the window
// font's families in place of each @STAKORA_FONT_FAMILIES@ and the media queries of the two
// forms in place of @STAKORA_DESKTOP_FORM@ and @STAKORA_TOUCH_FORM@; and, for the tests, where
// the designed window puts each control.
//   node web_page_writer.js PAGE_TEMPLATE PAGE STYLE_TEMPLATE STYLE GEOMETRY
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "web_markup.h"

namespace {

// Replaces every marker; returns how many there were.
int replaceAll(std::string& text, const std::string& marker, const std::string& replacement) {
    int count = 0;
    for (auto at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + replacement.size())) {
        text.replace(at, marker.size(), replacement);
        ++count;
    }
    return count;
}

// Fills one template's markers, each of which must be there once; false if one is not.
bool write(const char* from, const char* to, const std::string& marker,
           const std::string& content) {
    std::ifstream in(from);
    std::stringstream read;
    read << in.rdbuf();
    std::string text = read.str();
    if (!in || replaceAll(text, marker, content) != 1) {
        std::cerr << "web_page_writer: no single " << marker << " in " << from << "\n";
        return false;
    }
    replaceAll(text, "@STAKORA_FONT_FAMILIES@", stakora::web::cssFontFamilies());
    replaceAll(text, "@STAKORA_DESKTOP_FORM@", stakora::web::desktopForm());
    replaceAll(text, "@STAKORA_TOUCH_FORM@", stakora::web::touchForm());
    std::ofstream out(to);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: web_page_writer PAGE_TEMPLATE PAGE STYLE_TEMPLATE STYLE GEOMETRY\n";
        return 2;
    }
    const bool written =
        write(argv[1], argv[2], "@STAKORA_WINDOW@", stakora::web::windowMarkup()) &&
        write(argv[3], argv[4], "@STAKORA_LAYOUT@", stakora::web::windowStylesheet());
    std::ofstream(argv[5]) << stakora::web::windowGeometry();
    return written ? 0 : 1;
}
