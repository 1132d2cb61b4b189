// The window's pictures, decoded when the program is built (picture_embedder).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace stakora::qt {

struct EmbeddedPicture {
    std::string_view name;  // as the layout names it: ":/footer.jpg"
    int width;
    int height;
    bool alpha;                   // 0xAARRGGBB when true, else 0xffRRGGBB
    const std::uint32_t* pixels;  // row by row, top first
};

std::span<const EmbeddedPicture> embeddedPictures();

}  // namespace stakora::qt
