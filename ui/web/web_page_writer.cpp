// Writes the page: its template with the window's markup in place of @STAKORA_WINDOW@ and the
// window font's families in place of each @STAKORA_FONT_FAMILIES@.
//   node web_page_writer.js TEMPLATE OUTPUT
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: web_page_writer TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    std::stringstream page;
    page << in.rdbuf();
    std::string text = page.str();
    const std::string marker = "@STAKORA_WINDOW@";
    if (!in || replaceAll(text, marker, stakora::web::windowMarkup()) != 1) {
        std::cerr << "web_page_writer: no single " << marker << " in " << argv[1] << "\n";
        return 1;
    }
    replaceAll(text, "@STAKORA_FONT_FAMILIES@", stakora::web::cssFontFamilies());
    std::ofstream(argv[2]) << text;
    return 0;
}
