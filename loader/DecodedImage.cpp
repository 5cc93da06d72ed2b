#include "loader/DecodedImage.h"

#include <IL/il.h>
#include <cstring>

namespace {

// What comes before an image's pixels in its part of an answer.
struct PartHeader {
    DecodedImage::Result result;
    int width;
    int height;
};

}  // namespace

DecodedImage decodeImage(const std::string& path)
{
    DecodedImage image;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    // A reader may say it loaded a file that holds no picture: DevIL's XPM reader does for a
    // file cut off before its size, and hands out -1 for what it did not read. Converting such
    // a picture fills memory without end.
    const bool loaded = ilLoadImage(path.c_str()) == IL_TRUE;
    const ILint width = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint height = ilGetInteger(IL_IMAGE_HEIGHT);
    if (!loaded || width <= 0 || height <= 0) {
        image.result = DecodedImage::Result::NotLoaded;
    } else if (ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) != IL_TRUE) {
        image.result = DecodedImage::Result::NotConverted;
    } else if (const ILubyte* pixels = ilGetData()) {
        image.result = DecodedImage::Result::Decoded;
        image.width = width;
        image.height = height;
        image.rgb.assign(pixels, pixels + size_t(width) * size_t(height) * 3);
    }
    ilDeleteImages(1, &name);
    return image;
}

std::string toAnswerPart(const DecodedImage& image)
{
    const PartHeader header = {image.result, image.width, image.height};
    std::string part(reinterpret_cast<const char*>(&header), sizeof header);
    part.append(reinterpret_cast<const char*>(image.rgb.data()), image.rgb.size());
    return part;
}

DecodedImage fromAnswerPart(const std::string& part)
{
    DecodedImage image;
    PartHeader header = {};
    if (part.size() < sizeof header)
        return image;
    std::memcpy(&header, part.data(), sizeof header);
    image.result = header.result;
    image.width = header.width;
    image.height = header.height;
    image.rgb.assign(part.begin() + std::ptrdiff_t(sizeof header), part.end());
    return image;
}

DecodedImage fromChildPart(const ChildPart& part)
{
    if (part.received)
        return fromAnswerPart(part.bytes);
    DecodedImage image;
    image.result = part.fault.empty() ? DecodedImage::Result::NotLoaded : DecodedImage::Result::Fault;
    image.fault = part.fault;
    return image;
}

DecodedImage decodeInChild(const std::string& path, const ChildLimits& limits)
{
    ChildTask decoding([path](const AnswerWriter& answer) { answer(toAnswerPart(decodeImage(path))); });
    return fromChildPart(decoding.next("the image library", limits));
}
