#include "Image.h"

#include <IL/il.h>

#include <algorithm>
#include <cmath>

namespace assets {

Image::Image(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}

void Image::set(int x, int y, float r, float g, float b) {
    uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    const float channels[3] = {r, g, b};
    for (int c = 0; c < 3; ++c)
        p[c] = static_cast<uint8_t>(std::lround(std::clamp(channels[c], 0.0f, 1.0f) * 255.0f));
}

bool saveImage(const std::string& path, const Image& image) {
    static bool started = false;
    if (!started) {
        ilInit();
        ilEnable(IL_FILE_OVERWRITE);
        ilSetInteger(IL_JPG_QUALITY, 95);
        started = true;
    }
    bool jpeg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    bool ok = ilTexImage(image.width, image.height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                         const_cast<uint8_t*>(image.rgb.data())) == IL_TRUE;
    // ilTexImage marks the pixels as bottom row first, and the savers would flip them; our
    // rows are top first, as the loaders will read them back.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ok = ok && ilSave(jpeg ? IL_JPG : IL_PNG, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &name);
    return ok;
}

}  // namespace assets
