#include "ImageFaults.h"

#include "GLTestSupport.h"
#include "common/Image.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

// Each damage was found by changing copies of the picture: the PNM's pixels cut off make the
// reader free one buffer twice, which the C library (or the sanitizer) stops with an abort; the
// other two claim sizes that the readers do not check against the file, and read or write so
// far past their buffers that they leave the process's memory however much of it the heap
// holds (a smaller claim, 32576 pixels for the DDS, ends a small process but not the
// program's, whose heap spans the distance).
const std::vector<ImageFault> imageFaults = {
    {"a PNM (P6) cut off halfway", "ppm", "the image library died of signal 6"},
    {"a DDS whose width (bytes 16 to 19) says 16777216 pixels", "dds", "the image library died of signal 11"},
    {"a PSD whose height (bytes 14 to 17) says 65344 rows", "psd", "the image library died of signal 11"},
};

namespace {

void patch(std::string& bytes, size_t at, const std::string& with)
{
    bytes.replace(at, with.size(), with);
}

}  // namespace

void writeTestPicture(const std::string& path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const std::string png = path + ".png";
    Image picture(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            picture.set(x, y, float(x) / 63.0f, float(y) / 63.0f, float((x * 7 + y * 13) % 64) / 63.0f);
    ASSERT_TRUE(writeImage(png, picture));
    // DevIL reads no BMP newer than version 3.
    const std::string command = "convert '" + png + "' -depth 8 -define bmp:format=bmp3 '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::remove(png.c_str());
}

void writeImageFault(const ImageFault& fault, const std::string& path)
{
    writeTestPicture(path);
    std::string bytes = readFile(path);
    const std::string extension = fault.extension;
    if (extension == "ppm")
        bytes.resize(bytes.size() / 2);
    else if (extension == "dds")
        patch(bytes, 16, std::string("\x00\x00\x00\x01", 4));
    else if (extension == "psd")
        patch(bytes, 14, std::string("\x00\x00\xff\x40", 4));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
