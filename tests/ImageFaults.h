#pragma once

// Image files that end DevIL 1.7.8's decoding, written by the tests themselves: a picture of
// their own, converted by ImageMagick into the format and then damaged. Each ends the process
// that decodes it alike in a plain and in a sanitizer build.

#include <string>
#include <vector>

struct ImageFault {
    const char* damage;     // what is wrong with the file
    const char* extension;  // the file's own, by which DevIL picks its reader
    const char* fault;      // how the image library ends, in the loader's words
};

extern const std::vector<ImageFault> imageFaults;

// Writes the file of the fault to path, which ends in the fault's extension.
void writeImageFault(const ImageFault& fault, const std::string& path);

// The test's picture (64 x 64, 8-bit RGB, no two neighbours alike) as ImageMagick writes it in
// the format path's extension names.
void writeTestPicture(const std::string& path);
