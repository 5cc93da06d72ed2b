#pragma once

#include "loader/ChildTask.h"

#include <cstddef>
#include <string>
#include <vector>

// How long and how much memory the image library may take over one image file. An image of
// 8192 x 8192 decodes in 1.7 s (TGA) to 8 s (PCX, the slowest of DevIL's formats) on the 2-core
// development machine while it is busy, in 0.3 GB; PNG and JPEG in 3.3 and 3.9 s. Images four
// times that size (16384 x 16384, the largest this machine's GL takes) may pass the time limit
// in the slower formats. The files that never end that DevIL 1.7.8 was seen to meet (a damaged
// PSD that reads one row without end) fill their memory a row at a time and reach the time
// limit first.
constexpr ChildLimits imageLimits = {10.0, size_t(4) << 30};

// An image file as DevIL decodes it for a texture: ilLoadImage, then ilConvertImage to 8-bit
// RGB, rows in the file's order.
struct DecodedImage {
    enum class Result {
        Decoded,       // the pixels below are the image
        NotLoaded,     // ilLoadImage refused the file, found none, or gave no picture
        NotConverted,  // ilConvertImage refused the image
        Fault,         // the image library never came back: see fault
    };
    Result result = Result::NotLoaded;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // width x height x 3 bytes when decoded
    std::string fault;               // "the image library died of signal 11", ...
};

// The decoding, in this process. DevIL must be started (ilInit).
DecodedImage decodeImage(const std::string& path);

// The same decoding in a child process of its own (ChildTask.h), which the program waits for.
DecodedImage decodeInChild(const std::string& path, const ChildLimits& limits = imageLimits);

// An image as a part of a child's answer, and back.
std::string toAnswerPart(const DecodedImage& image);
DecodedImage fromAnswerPart(const std::string& part);
// What the program makes of an image's part of a child's answer: the image, or its fault.
DecodedImage fromChildPart(const ChildPart& part);
