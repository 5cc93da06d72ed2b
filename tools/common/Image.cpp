#include "Image.h"

#include <IL/il.h>

#include <algorithm>
#include <cmath>

namespace {

void startDevIL()
{
    static const bool started = (ilInit(), ilEnable(IL_FILE_OVERWRITE), ilSetInteger(IL_JPG_QUALITY, 95), true);
    (void)started;
}

bool endsWith(const std::string& text, const std::string& ending)
{
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

void Image::set(int x, int y, float r, float g, float b)
{
    unsigned char* pixel = at(x, y);
    const float channels[3] = {r, g, b};
    for (int c = 0; c < 3; ++c)
        pixel[c] = static_cast<unsigned char>(std::lround(std::clamp(channels[c], 0.0f, 1.0f) * 255.0f));
}

bool writeImage(const std::string& path, const Image& image)
{
    startDevIL();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    bool written = ilTexImage(image.width, image.height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                              const_cast<unsigned char*>(image.rgb.data())) == IL_TRUE;
    // ilTexImage takes the rows as bottom row first, and the savers would turn them over.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    written = written && ilSave(endsWith(path, ".jpg") ? IL_JPG : IL_PNG, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &name);
    return written;
}

Image loadImage(const std::string& path)
{
    startDevIL();
    Image image;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    if (ilLoadImage(path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        image.width = ilGetInteger(IL_IMAGE_WIDTH);
        image.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* pixels = ilGetData();
        image.rgb.assign(pixels, pixels + size_t(image.width) * size_t(image.height) * 3);
    }
    ilDeleteImages(1, &name);
    return image;
}
