#include "platform/atomic_file.h"
#include "ui/kit/jpeg.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

std::string aboutPhoto() {
    return readWholeFile(ORBISTAN_ABOUT_PHOTO).value_or("");
}

TEST(DecodeJpeg, DecodesTheAboutPhotograph) {
    const auto image = decodeJpeg(aboutPhoto());
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 244);
    EXPECT_EQ(image->height, 338);
    ASSERT_EQ(image->rgb.size(), 244u * 338u * 3u);
    // The corner is the light background, the centre the bearing's light bore.
    EXPECT_GT(image->rgb[0], 200);
    const std::size_t centre = (150u * 244u + 122u) * 3u;
    EXPECT_GT(image->rgb[centre], 200);
}

TEST(DecodeJpeg, RefusesWhatIsNotAJpeg) {
    EXPECT_FALSE(decodeJpeg("").has_value());
    EXPECT_FALSE(decodeJpeg("not a picture at all").has_value());
    EXPECT_FALSE(decodeJpeg(std::string("\xFF\xD8\xFF", 3)).has_value());
}

TEST(DecodeJpeg, SurvivesATruncatedFile) {
    const std::string photo = aboutPhoto();
    for (std::size_t keep : {std::size_t{20}, photo.size() / 3, photo.size() - 10}) {
        const auto image = decodeJpeg(photo.substr(0, keep)); // must neither crash nor hang
        if (image) {
            EXPECT_EQ(image->rgb.size(),
                      static_cast<std::size_t>(image->width) * image->height * 3);
        }
    }
}

} // namespace
} // namespace orbistan
