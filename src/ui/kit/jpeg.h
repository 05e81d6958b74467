#pragma once
// Decoding of the JPEG pictures the program ships, through libjpeg.

#include <optional>
#include <string_view>
#include <vector>

namespace orbistan {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // width * height * 3 bytes, rows top to bottom
};

// Empty when the bytes are not a JPEG that libjpeg can decode.
std::optional<RgbImage> decodeJpeg(std::string_view bytes);

} // namespace orbistan
