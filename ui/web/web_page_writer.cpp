// Writes the page: its template with the window's markup in place of @STAKORA_WINDOW@.
//   node web_page_writer.js TEMPLATE OUTPUT
#include <fstream>
#include <iostream>
#include <sstream>

#include "web_markup.h"

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
    const auto at = text.find(marker);
    if (!in || at == std::string::npos) {
        std::cerr << "web_page_writer: no " << marker << " in " << argv[1] << "\n";
        return 1;
    }
    text.replace(at, marker.size(), stakora::web::windowMarkup());
    std::ofstream(argv[2]) << text;
    return 0;
}
