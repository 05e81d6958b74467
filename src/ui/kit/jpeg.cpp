#include "ui/kit/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace orbistan {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// libjpeg's default reaction to a fatal error ends the process; come back here instead.
[[noreturn]] void onFatalError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void ignoreMessage(j_common_ptr) {}

} // namespace

std::optional<RgbImage> decodeJpeg(std::string_view bytes) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    RgbImage image;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.output_message = ignoreMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            image.rgb.data() + static_cast<std::size_t>(info.output_scanline) * image.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

} // namespace orbistan
