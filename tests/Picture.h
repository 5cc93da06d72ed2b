#pragma once

// An image file as DevIL decodes it for the program's loader (no origin conversion), in 8-bit
// RGB with its rows in the order GL receives them.

#include <IL/il.h>
#include <cstdlib>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // empty when the file could not be decoded
};

inline Picture loadPicture(const std::string& path)
{
    static const bool started = (ilInit(), true);
    (void)started;
    Picture picture;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (ilLoadImage(path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        picture.width = ilGetInteger(IL_IMAGE_WIDTH);
        picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* pixels = ilGetData();
        picture.rgb.assign(pixels, pixels + size_t(picture.width) * size_t(picture.height) * 3);
    }
    ilDeleteImages(1, &image);
    return picture;
}

// The share of pixels whose colour differs by more than 2 levels in some channel between two
// pictures of one size: the same frame rendered again differs nowhere, a changed frame in many
// places.
inline double differingShare(const Picture& a, const Picture& b)
{
    size_t differing = 0;
    for (size_t pixel = 0; pixel < a.rgb.size(); pixel += 3)
        for (size_t channel = 0; channel < 3; ++channel)
            if (std::abs(int(a.rgb[pixel + channel]) - int(b.rgb[pixel + channel])) > 2) {
                ++differing;
                break;
            }
    return double(differing) / double(a.rgb.size() / 3);
}
